#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <string>

#include "DesktopOpener.h"

namespace {

// Characters that mean something in an address are parts of a file name,
// and a name that is not valid UTF-8 keeps its bytes.
TEST(DesktopOpenerUrl, LocalPathKeepsEveryByte) {
    const struct {
        std::string path;
        const char* encoded;
    } cases[] = {
        {"/home/u/orvanel/", "file:///home/u/orvanel/"},
        {"/home/u/my videos/#1 ?x=%41/", "file:///home/u/my%20videos/%231%20%3Fx=%2541/"},
        {"/m\xc3\xa9"
         "dia/",
         "file:///m%C3%A9dia/"},
        {"/bad\xff\xfe name/", "file:///bad%FF%FE%20name/"},
    };
    for (const auto& c : cases) {
        const QUrl url = LocalFileUrl(c.path);
        EXPECT_TRUE(url.isLocalFile()) << c.path;
        EXPECT_EQ(url.toEncoded().toStdString(), c.encoded) << c.path;
        const QByteArray path =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        EXPECT_EQ(path.toStdString(), c.path);
    }
}

}  // namespace
