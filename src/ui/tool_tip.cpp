#include "ui/tool_tip.h"

#include <QStringList>

namespace trembla {

QString wrapped_tip(const QString& text, int columns) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        // Qt::SkipEmptyParts is only in Qt 5.14 on: runs of spaces are skipped here instead.
        for (const QString& word : paragraph.split(QLatin1Char(' '))) {
            if (word.isEmpty()) continue;
            if (!line.isEmpty() && line.size() + 1 + word.size() > columns) {
                lines.append(line);
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace trembla
