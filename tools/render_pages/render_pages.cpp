// Renders each page of the tool window to a PNG file, floating at the column's 260 px and docked
// in a 420-px panel (and the setup page once more with the main button in its prepared look), for
// checking the look without a display:
//   trembla_render_pages [OUTPUT_DIR]      (default out/pages; run with QT_QPA_PLATFORM=offscreen)
#include <cstdio>
#include <exception>

#include <QApplication>
#include <QDir>
#include <QString>

#include "ui/main_window.h"
#include "ui/theme.h"

int main(int argc, char** argv) {
    try {
        QApplication app(argc, argv);
        const QString out_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/pages");
        if (!QDir().mkpath(out_dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(out_dir));
            return 1;
        }

        trembla::TremblaToolWindow window;
        window.preset_list->addItems({QStringLiteral("handheld_soft"), QStringLiteral("truck_rumble")});
        window.show();
        // The offscreen screen is small, and a window is first sized to at most two thirds of its screen;
        // give it the height its content asks for, as it gets on a desktop.
        window.resize(window.width(), window.sizeHint().height());
        const char* const names[] = {"setup", "shake", "advanced", "presets"};
        const auto save_pages = [&](QWidget& shown, const char* prefix) {
            for (int index = 0; index < 4; ++index) {
                window._switch_tab(index);
                QApplication::processEvents();
                const QString path = QDir(out_dir).filePath(QStringLiteral("%1%2_%3.png")
                                                                .arg(QLatin1String(prefix))
                                                                .arg(index)
                                                                .arg(QLatin1String(names[index])));
                if (!shown.grab().save(path)) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                    return false;
                }
                std::printf("%s\n", qPrintable(path));
            }
            return true;
        };
        if (!save_pages(window, "")) return 1;
        {
            // Docked: the panel in a workspace control's container, as wide as a docked panel
            // usually is, and as tall as the floating window.
            QWidget dock;
            dock.resize(420, window.height());
            window._place_in_dock(&dock);
            dock.show();
            QApplication::processEvents();
            const bool saved = save_pages(dock, "docked_");
            window._place_floating(nullptr, true);
            if (!saved) return 1;
        }
        // The main button as it looks once a shake is prepared.
        window._switch_tab(0);
        window.prepare_btn->setText(QStringLiteral("Re-Prepare"));
        trembla::change_style_class(window.prepare_btn, "preparedBtn");
        QApplication::processEvents();
        const QString prepared = QDir(out_dir).filePath(QStringLiteral("4_setup_prepared.png"));
        if (!window.grab().save(prepared)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(prepared));
            return 1;
        }
        std::printf("%s\n", qPrintable(prepared));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "render_pages: %s\n", error.what());
        return 1;
    }
}
