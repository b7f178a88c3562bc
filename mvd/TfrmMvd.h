#pragma once
// The MicroDVD player's descriptor window. Its fields and the writing of the ".mvd" file come
// with the descriptor feature; until then the window exists, created hidden at start-up.

#include <QDialog>

namespace velkar::gui {

class TfrmMvd : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmMvd(QWidget* parent = nullptr);
};

} // namespace velkar::gui
