#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zamo {

class Platform;

// "Info" (TAboutBox): the program's identity, the running system, processor and memory,
// and buttons that open the makers' mail address and web page.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kMailAddress = "zamo@example.org";
  static constexpr const char* kWebAddress = "https://www.example.org/zamo/";

  TAboutBox(Platform& platform, QWidget* parent);

  void EmailClick();
  void WWWClick();

 private:
  void Launch(const QString& link);

  Platform& platform_;
};

}  // namespace zamo
