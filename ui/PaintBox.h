#pragma once

#include <QWidget>
#include <functional>

namespace zamo {

// A white drawing area whose content its owner paints: every paint event calls the
// painter function with a QPainter on the box.
class PaintBox : public QWidget {
  Q_OBJECT

 public:
  using Painter = std::function<void(QPainter&)>;

  explicit PaintBox(const QString& name, QWidget* parent = nullptr);
  void SetPainter(Painter painter) { painter_ = std::move(painter); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Painter painter_;
};

}  // namespace zamo
