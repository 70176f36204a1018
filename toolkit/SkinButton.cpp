#include "toolkit/SkinButton.h"

TbsSkinButton::TbsSkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    setDefault(false);
}
