// Text and look of the about box that the title bar's "?" button opens.
#pragma once

#include <QString>

namespace trembla {

// The contacts a release was built with (TREMBLA_CONTACT_*); each may be empty.
struct AboutContacts {
    QString email;
    QString page_label;
    QString page_url;
};
AboutContacts built_contacts();

// Rich text naming the tool, its version, author, the contact channels that are set and the footer
// "PySide{pyside_version} | Maya 2019-2026". A channel left empty is not shown at all: a box
// naming a placeholder address sends users nowhere.
QString about_text(int pyside_version, const AboutContacts& contacts = built_contacts());

// The box's own style sheet, with the box's background set to bg.
QString about_style_sheet(const QString& bg);

}  // namespace trembla
