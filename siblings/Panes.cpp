// libPanes.so: the about box. Opened by the program with RTLD_NODELETE,
// since a library holding Qt code must not be unmapped while Qt runs.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cstdio>

#include "SiblingApi.h"

namespace {

QString Text(const char* bytes) {
    return bytes ? QFile::decodeName(QByteArray(bytes)) : QString();
}

// Product texts are shown as they are; only the two address lines are links.
QLabel* Line(const QString& text, QWidget* parent, Qt::TextFormat format = Qt::PlainText) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(format);
    label->setWordWrap(true);
    label->setTextInteractionFlags(format == Qt::RichText ? Qt::TextBrowserInteraction
                                                          : Qt::TextSelectableByMouse);
    label->setOpenExternalLinks(format == Qt::RichText);
    return label;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void ShowAboutForm(void* application,
                                                                     const TOrvSoftInfo* info) {
    auto* app = static_cast<QApplication*>(application);
    if (app == nullptr || app != qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fputs("libPanes: ShowAboutForm needs the running application\n", stderr);
        return;
    }
    if (info == nullptr || info->StructSize < sizeof(TOrvSoftInfo)) {
        std::fputs("libPanes: ShowAboutForm was given no product information it can read\n",
                   stderr);
        return;
    }

    const QString product = Text(info->ProductName);
    QDialog box;
    box.setWindowTitle(QStringLiteral("About ") + product);
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    box.setWindowModality(Qt::ApplicationModal);

    auto* header = new QFrame(&box);
    header->setObjectName("aboutHeader");
    header->setStyleSheet(
        "#aboutHeader { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #1f2a3c,"
        " stop:1 #12324a); border-bottom: 2px solid #2fb3e0; }"
        "#aboutHeader QLabel { color: #eef4fa; }");
    auto* logo = new QLabel(header);
    logo->setPixmap(app->windowIcon().pixmap(64, 64));
    logo->setFixedSize(64, 64);
    auto* name = new QLabel(header);
    name->setText(QStringLiteral("<span style='font-size:20pt; font-weight:600'>%1</span>"
                                 "<br><span style='color:#9fd8ee'>Version %2</span>")
                      .arg(product.toHtmlEscaped(), Text(info->Version).toHtmlEscaped()));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(18, 14, 18, 14);
    headerLayout->setSpacing(16);
    headerLayout->addWidget(logo);
    headerLayout->addWidget(name, 1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(18, 12, 18, 6);
    body->setSpacing(8);
    body->addWidget(Line(Text(info->InfoText2), &box));
    const QString home = Text(info->HomePage);
    const QString mail = Text(info->Email);
    body->addWidget(Line(QStringLiteral("Home page: <a href=\"%1\">%2</a>")
                             .arg(home.toHtmlEscaped(), home.toHtmlEscaped()),
                         &box, Qt::RichText));
    body->addWidget(Line(QStringLiteral("E-mail: <a href=\"mailto:%1\">%2</a>")
                             .arg(mail.toHtmlEscaped(), mail.toHtmlEscaped()),
                         &box, Qt::RichText));
    body->addWidget(Line(Text(info->InfoText7), &box));
    auto* folder = Line(QStringLiteral("Program folder: ") + Text(info->AppPath), &box);
    folder->setStyleSheet("color: palette(mid);");
    body->addWidget(folder);
    body->addWidget(Line(QStringLiteral("\u00a9 ") + Text(info->CompanyName), &box));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);

    auto* layout = new QVBoxLayout(&box);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(header);
    layout->addLayout(body);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(18, 0, 18, 0);
    buttonRow->addWidget(buttons);
    layout->addLayout(buttonRow);
    box.setFixedWidth(420);
    box.exec();
}
