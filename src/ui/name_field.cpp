#include "ui/name_field.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

#include "ui/tool_tip.h"

namespace trembla {

namespace {
// QLineEdit's own inner margin left and right of the text.
constexpr int kTextMargin = 2;
}  // namespace

NameField::NameField(QWidget* parent) : QLineEdit(parent) {}

QRect NameField::text_area() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.adjusted(kTextMargin, 0, -kTextMargin, 0);
}

QString NameField::shown_text() const {
    if (hasFocus()) return text();
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, text_area().width());
}

QString NameField::shown_tip() const {
    if (text().isEmpty()) return toolTip();
    return toolTip() + QLatin1Char('\n') + wrapped_tip(text());
}

void NameField::paintEvent(QPaintEvent* event) {
    const QString shown = shown_text();
    // Editing, or a name that fits: the field as Qt draws it, with its cursor and selection.
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(text_area(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

bool NameField::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), shown_tip(), this);
        return true;
    }
    return QLineEdit::event(event);
}

}  // namespace trembla
