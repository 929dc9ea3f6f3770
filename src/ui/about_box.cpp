#include "ui/about_box.h"

#include <QMessageBox>
#include <QPointer>

#include "ui/main_window.h"
#include "ui/qt_generation.h"
#include "ui/theme.h"

// The contact details are a studio's own, given at configure time; empty by default.
#ifndef TREMBLA_CONTACT_EMAIL
#error "TREMBLA_CONTACT_EMAIL must be defined by the build"
#endif
#ifndef TREMBLA_CONTACT_PAGE_LABEL
#error "TREMBLA_CONTACT_PAGE_LABEL must be defined by the build"
#endif
#ifndef TREMBLA_CONTACT_PAGE_URL
#error "TREMBLA_CONTACT_PAGE_URL must be defined by the build"
#endif

namespace trembla {

// The rule under the version. Qt's rich text draws <hr> in the palette's own colour and ignores
// border-color, so on the dark box it was invisible; a one-row table whose cell is filled with the
// border colour is drawn the same on every Qt 5 and 6.
const char* const ABOUT_RULE =
    "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" style=\"margin-top: 6px; margin-bottom: 6px;\">"
    "<tr><td bgcolor=\"#3a3a42\" style=\"font-size: 1px;\">&nbsp;</td></tr></table>";

AboutContacts built_contacts() {
    return {QString::fromUtf8(TREMBLA_CONTACT_EMAIL), QString::fromUtf8(TREMBLA_CONTACT_PAGE_LABEL),
            QString::fromUtf8(TREMBLA_CONTACT_PAGE_URL)};
}

QString about_text(int pyside_version, const AboutContacts& contacts) {
    QString channels;
    if (!contacts.email.isEmpty()) {
        channels += QStringLiteral(
                        "<p style=\"color: #c0c0c0;\"><b>Contact:</b><br>"
                        "<a href=\"mailto:%1\" style=\"color: #6bb8e8;\">%1</a></p>")
                        .arg(contacts.email.toHtmlEscaped());
    }
    if (!contacts.page_url.isEmpty()) {
        const QString label = contacts.page_label.isEmpty() ? QStringLiteral("Page") : contacts.page_label;
        channels += QStringLiteral(
                        "<p style=\"color: #c0c0c0;\"><b>%1:</b><br>"
                        "<a href=\"%2\" style=\"color: #6bb8e8;\">%2</a></p>")
                        .arg(label.toHtmlEscaped(), contacts.page_url.toHtmlEscaped());
    }
    return QStringLiteral(
               "<div style=\"text-align: center; padding: 10px;\">"
               "<h2 style=\"color: #ffffff; margin-bottom: 5px;\">Trembla Tool</h2>"
               "<p style=\"color: #888888; margin-top: 0;\">Version 2.1</p>"
               "%3"
               "<p style=\"color: #c0c0c0;\"><b>Author:</b> Trembla Tool contributors</p>"
               "%1"
               "<p style=\"color: #888888; font-size: 10px; margin-top: 10px;\">PySide%2 | Maya 2019-2026</p>"
               "</div>")
        .arg(channels, QString::number(pyside_version), QString::fromLatin1(ABOUT_RULE));
}

QString about_style_sheet(const QString& bg) {
    return QStringLiteral(
               "QMessageBox { background-color: %1; }"
               // The width goes to the text's label only: the icon's label, empty in this box, would
               // otherwise be as wide, a dark strip beside the text.
               "QMessageBox QLabel { color: #c0c0c0; }"
               "QMessageBox QLabel#qt_msgbox_label { min-width: 220px; }"
               "QPushButton { background-color: #32323a; border: 1px solid #3a3a42; border-radius: 3px;"
               " color: #c0c0c0; padding: 6px 20px; min-width: 60px; }"
               "QPushButton:hover { background-color: #3a3a42; }")
        .arg(bg);
}

void TremblaToolWindow::_show_about() {
    const std::string_view bg = color("bg_darkest");
    // Guarded: the window, and the box with it, may be deleted while the box's own loop runs.
    QPointer<QMessageBox> box = new QMessageBox(this);
    box->setWindowTitle(QStringLiteral("About"));
    box->setTextFormat(Qt::RichText);
    box->setText(about_text(PYSIDE_VERSION));
    box->setStyleSheet(about_style_sheet(QString::fromLatin1(bg.data(), static_cast<int>(bg.size()))));
    box->exec();
    delete box.data();
}

}  // namespace trembla
