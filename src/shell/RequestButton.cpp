#include "shell/RequestButton.h"

RequestButton::RequestButton(const QString& name, const QString& caption, const QString& tip,
                             QWidget* parent)
    : QPushButton(caption, parent)
{
    setObjectName(name);
    setToolTip(tip);
    setAccessibleName(caption);
    connect(this, &QPushButton::clicked, this, [this] {
        setEnabled(false);
        Q_EMIT Requested();
    });
}
