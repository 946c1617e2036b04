// The libraries beside the program: product texts, the splash picture, the
// about box, and the toolbar actions that use the product texts.
#include <dlfcn.h>

#include <QApplication>
#include <QTest>

#include "SoftInfo.h"
#include "TestSupport.h"

class SiblingsTest : public QObject {
    Q_OBJECT
  private slots:
    void productTextsComeFromTheStringTable() {
        TRecSoftInfo info;
        info.ProductName = "left over";
        const auto problems = LoadSoftInfo(BuiltAppDir(), info);
        QVERIFY2(problems.empty(), problems.empty() ? "" : problems.front().c_str());
        QCOMPARE(info.ProductName, std::string("Orvanel"));
        QCOMPARE(info.Version, std::string(ORV_VERSION_TEXT));
        QVERIFY(info.HomePage.rfind("https://www.example.org/", 0) == 0);
        QVERIFY(info.Email.find("@example.org") != std::string::npos);
        QVERIFY(!info.CompanyName.empty());
        QVERIFY(!info.InfoText2.empty());
        QVERIFY(!info.InfoText7.empty());
    }

    // A library that is missing, lacks the entry or lacks texts leaves those
    // texts empty and says why; nothing of an earlier reading stays.
    void missingTextsAreEmptyAndExplained_data() {
        QTest::addColumn<QString>("library");  // copied in as libAssets.so; empty: none
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no library") << QString() << QString() << "cannot load libAssets.so";
        QTest::newRow("no string entry point")
            << ORV_FAKE_PANES << QString() << "has no entry AssetsLoadString";
        QTest::newRow("entries missing") << ORV_FAKE_ASSETS << "Partial"
                                         << "no string entry 0";
    }
    void missingTextsAreEmptyAndExplained() {
        QFETCH(QString, library);
        QFETCH(QString, product);
        QFETCH(QString, reason);
        TProgramFolder folder;
        if (!library.isEmpty()) QVERIFY(folder.CopyAs(library.toStdString(), kAssetsLibrary));
        TRecSoftInfo info;
        info.Version = "left over";
        info.ProductName = "left over";
        const auto problems = LoadSoftInfo(folder.Path(), info);
        QCOMPARE(QString::fromStdString(info.ProductName), product);
        QCOMPARE(info.Version, std::string());
        QVERIFY(!problems.empty());
        QVERIFY2(problems.front().find(reason.toStdString()) != std::string::npos,
                 problems.front().c_str());
    }

    void splashPictureIsTheJpegResource() {
        std::string why;
        const QImage picture = LoadSplashPicture(BuiltAppDir(), why);
        QVERIFY2(!picture.isNull(), why.c_str());
        QCOMPARE(picture.size(), QSize(440, 270));
    }

    void noSplashPictureIsExplained_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no library") << QString() << "cannot load libAssets.so";
        QTest::newRow("no resource entry point") << ORV_FAKE_PANES << "has no entry";
        QTest::newRow("not a JPEG") << ORV_FAKE_ASSETS << "not a readable JPEG";
    }
    void noSplashPictureIsExplained() {
        QFETCH(QString, library);
        QFETCH(QString, reason);
        TProgramFolder folder;
        if (!library.isEmpty()) QVERIFY(folder.CopyAs(library.toStdString(), kAssetsLibrary));
        std::string why;
        QVERIFY(LoadSplashPicture(folder.Path(), why).isNull());
        QVERIFY2(why.find(reason.toStdString()) != std::string::npos, why.c_str());
    }

    // The about box gets the application object and the product texts, from
    // the library in the folder it is given.
    void aboutBoxReceivesTheProductInformation() {
        TProgramFolder folder;
        QVERIFY(folder.CopyAs(ORV_FAKE_PANES, kPanesLibrary));
        TRecSoftInfo info;
        info.ProductName = "Orvanel";
        info.AppPath = folder.Path();
        QVERIFY(ShowAbout(folder.Path(), info));

        void* library = dlopen((folder.Path() + kPanesLibrary).c_str(), RTLD_NOW | RTLD_NOLOAD);
        QVERIFY2(library != nullptr, "the about box library was not kept loaded");
        QCOMPARE(*static_cast<int*>(dlsym(library, "FakeAboutCalls")), 1);
        QCOMPARE(*static_cast<void**>(dlsym(library, "FakeAboutApplication")),
                 static_cast<void*>(qApp));
        QCOMPARE(QString(static_cast<const char*>(dlsym(library, "FakeAboutProduct"))),
                 QString("Orvanel"));
        QCOMPARE(std::string(static_cast<const char*>(dlsym(library, "FakeAboutAppPath"))),
                 folder.Path());
        dlclose(library);
    }

    void aboutBoxWithoutLibraryOrEntryDoesNothing() {
        TProgramFolder missing;
        QVERIFY(!ShowAbout(missing.Path(), TRecSoftInfo{}));
        TProgramFolder noEntry;
        QVERIFY(noEntry.CopyAs(BuiltAppDir() + kAssetsLibrary, kPanesLibrary));
        QVERIFY(!ShowAbout(noEntry.Path(), TRecSoftInfo{}));
    }

    void toolbarActionsOpenTheProductAddresses() {
        TRecSoftInfo info;
        info.HomePage = "https://www.example.org/orvanel/";
        info.Email = "orvanel@example.org";
        info.AppPath = "/opt/or vanel#1/";
        TScriptedDesktop desktop;
        OpenHomePage(desktop, info);
        SendEmail(desktop, info);
        OpenHelp(desktop, info);
        const std::vector<std::string> expected = {"address:https://www.example.org/orvanel/",
                                                   "address:mailto:orvanel@example.org",
                                                   "file:/opt/or vanel#1/Manual.html"};
        QCOMPARE(desktop.Opened, expected);
    }
};

ORV_TEST_SUITE(SiblingsTest);
#include "SiblingsTest.moc"
