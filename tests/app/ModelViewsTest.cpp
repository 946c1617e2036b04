// Widgets as views of the models: a change from code never runs the
// user-change handler; a user's choice does, once.
#include <QTest>

#include "ModelViews.h"
#include "TestSupport.h"

class ModelViewsTest : public QObject {
    Q_OBJECT
  private slots:
    void listFollowsItsModel() {
        TSettingsList model;
        QComboBox view;
        int choices = 0;
        BindComboBox(&view, model, [&choices] { ++choices; });

        for (const char* item : {"Low Quality", "Normal Quality", "Superb Quality"})
            model.Add(item);
        model.SetItemIndex(1);
        QCOMPARE(view.count(), 3);
        QCOMPARE(view.currentText(), QString("Normal Quality"));
        model.SetItemIndex(-1);
        QCOMPARE(view.currentIndex(), -1);
        model.SetEnabled(false);
        QVERIFY(!view.isEnabled());
        model.SetEnabled(true);
        model.Clear();
        QCOMPARE(view.count(), 0);
        QCOMPARE(choices, 0);
    }

    void userChoiceUpdatesModelAndRunsHandlerOnce() {
        TSettingsList model;
        for (const char* item : {"a", "b", "c"}) model.Add(item);
        model.SetItemIndex(0);
        QComboBox view;
        int choices = 0;
        int seenIndex = -2;
        BindComboBox(&view, model, [&] {
            ++choices;
            seenIndex = model.ItemIndex();
        });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(choices, 1);
        QCOMPARE(seenIndex, 1);  // the model holds the choice before the handler runs
        QCOMPARE(model.ItemIndex(), 1);

        // Selecting from code, in the widget or in the model, is no choice.
        view.setCurrentIndex(2);
        model.SetItemIndex(0);
        QCOMPARE(choices, 1);
        QCOMPARE(view.currentIndex(), 0);
    }

    void checkBoxBothWays() {
        TCheckValue model(true);
        QCheckBox view("Show output directory when done");
        BindCheckBox(&view, model);
        QVERIFY(view.isChecked());
        view.click();
        QVERIFY(!model.Checked());
        model.SetChecked(true);
        QVERIFY(view.isChecked());
    }

    // A path that is not valid UTF-8 reaches the field and comes back
    // unchanged in the model.
    void readOnlyFieldShowsModelText() {
        TTextValue model("/home/u/orvanel");
        QLineEdit view;
        BindLineEdit(&view, model);
        QVERIFY(view.isReadOnly());
        QCOMPARE(view.text(), QString("/home/u/orvanel"));
        model.SetText(
            "/media/v\xe9"
            "deos");
        QVERIFY(view.text().startsWith("/media/v"));
        QCOMPARE(model.Text(), std::string("/media/v\xe9"
                                           "deos"));
    }

    void viewGoneModelStillWorks() {
        TSettingsList model;
        {
            QComboBox view;
            BindComboBox(&view, model);
        }
        model.Add("a");  // would reach a destroyed view if the binding stayed
        QCOMPARE(model.Count(), 1);
    }
};

ORV_TEST_SUITE(ModelViewsTest);
#include "ModelViewsTest.moc"
