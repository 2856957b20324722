#pragma once

#include <QDialog>

namespace zamo {

// The reaction-scheme window (TShowKinSysForm): the fixed picture of the network, centred.
class TShowKinSysForm : public QDialog {
  Q_OBJECT

 public:
  // The picture shipped with the program, 311 x 543.
  static constexpr const char* kPicture = ":/zamo/KineticSystem.png";

  explicit TShowKinSysForm(QWidget* parent);
};

}  // namespace zamo
