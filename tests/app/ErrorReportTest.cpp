// The default error report: an error escaping a handler is shown and the
// program goes on.
#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <stdexcept>

#include "ErrorReport.h"
#include "Errors.h"
#include "TestSupport.h"

namespace {

// An object whose events fail until told otherwise.
class TFailingObject : public QObject {
  public:
    bool Fail = true;
    int Delivered = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        if (Fail) throw EConvertError("'x' is not a valid integer value");
        ++Delivered;
        return true;
    }
};

}  // namespace

class ErrorReportTest : public QObject {
    Q_OBJECT
  private slots:
    void guardedHandlerReportsItsError() {
        TScriptedMessages messages;
        bool after = false;
        RunGuarded(messages, [] { throw EFOpenError("Cannot open file \"a.ini\"."); });
        RunGuarded(messages, [] { throw 42; });
        RunGuarded(messages, [&after] { after = true; });
        QVERIFY(after);
        QCOMPARE(messages.Calls.size(), size_t(2));
        QCOMPARE(messages.Calls[0].Method, std::string("ShowError"));
        QCOMPARE(messages.Calls[0].Text, std::string("Cannot open file \"a.ini\"."));
        QCOMPARE(messages.Calls[1].Text, std::string("An unknown error occurred."));
    }

    // The last net: an error escaping any event reaches the report, and the
    // next event is delivered as usual.
    void errorEscapingAnEventIsReported() {
        auto* app = static_cast<TOrvApplication*>(QCoreApplication::instance());
        TScriptedMessages messages;
        app->SetErrorReport(&messages);
        TFailingObject object;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&object, &event);
        QCOMPARE(messages.Count("ShowError"), 1);
        QCOMPARE(messages.Calls[0].Text, std::string("'x' is not a valid integer value"));

        object.Fail = false;
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&object);
        QCOMPARE(object.Delivered, 1);
        QCOMPARE(messages.Count("ShowError"), 1);
        app->SetErrorReport(nullptr);
    }
};

ORV_TEST_SUITE(ErrorReportTest);
#include "ErrorReportTest.moc"
