// A field holding a scene object's name (the camera, the source). A long name is shown cut in its
// middle while the field is not being edited, where names of one rig differ least at their ends
// ("handheld_rig_v2:cam_shape" keeps both); its tooltip adds the whole name to its own line.
#pragma once

#include <QLineEdit>
#include <QString>

namespace trembla {

class NameField : public QLineEdit {
    Q_OBJECT

public:
    explicit NameField(QWidget* parent = nullptr);

    // What the field shows while not edited: the name, cut in the middle to fit.
    QString shown_text() const;
    // The tooltip as shown: the field's own, then the whole name when there is one.
    QString shown_tip() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect text_area() const;
};

}  // namespace trembla
