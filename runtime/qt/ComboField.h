#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace host::qt {

// An entry with a button beside it: a combo's drop button, or (when it drops nothing)
// the ellipsis button of a file-name field. Typing and the button are reported; the
// text shown is the runtime control's.
class ComboField : public QWidget {
    Q_OBJECT
public:
    explicit ComboField(QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return edit_; }
    QToolButton* button() const { return button_; }
    void setText(const QString& text);
    // An ellipsis button when the field drops no list.
    void setEllipsis(bool ellipsis);
    void setReadOnly(bool readOnly);

signals:
    void edited(const QString& text);
    void buttonPressed();

private:
    QLineEdit* edit_;
    QToolButton* button_;
};

} // namespace host::qt
