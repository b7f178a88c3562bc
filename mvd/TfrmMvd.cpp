#include "mvd/TfrmMvd.h"

namespace velkar::gui {

TfrmMvd::TfrmMvd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMvd"));
    setWindowTitle(QStringLiteral("Make MicroDVD file"));
}

} // namespace velkar::gui
