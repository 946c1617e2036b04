// The built program started from a copy of its folder that lacks a sibling
// library: it names each missing library and ends without a window. The
// libraries are looked for in the program folder, not the current one.
#include <QProcess>
#include <QTest>

#include "TestSupport.h"

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void missingLibraryEndsTheProgram_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("output");
        const QString panes =
            "ShowInfoMsg 1: 'libPanes.so' is not found. Please reinstall this program.\n";
        const QString assets =
            "ShowInfoMsg 1: 'libAssets.so' is not found. Please reinstall this program.\n";
        QTest::newRow("neither") << QStringList{} << panes + assets;
        QTest::newRow("no panes") << QStringList{"libAssets.so"} << panes;
        QTest::newRow("no assets") << QStringList{"libPanes.so"} << assets;
    }
    void missingLibraryEndsTheProgram() {
        QFETCH(QStringList, present);
        QFETCH(QString, output);
        TProgramFolder folder;
        QVERIFY(folder.CopyFromBuild("orvanel"));
        for (const QString& name : present) QVERIFY(folder.CopyFromBuild(name.toStdString()));

        QProcess program;
        // Started from the built program folder, where both libraries are.
        program.setWorkingDirectory(QString::fromStdString(BuiltAppDir()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ORVANEL_MESSAGES", "stdout");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(QString::fromStdString(folder.Path() + "orvanel"), {});
        QVERIFY(program.waitForStarted(10000));
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished(5000);
            QFAIL("the program did not end by itself");
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), output);
    }
};

ORV_TEST_SUITE(StartupTest);
#include "StartupTest.moc"
