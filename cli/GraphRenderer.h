#pragma once

#include <memory>
#include <string>

class QGuiApplication;

namespace zamo {
struct KineticProject;
}

namespace zamo::cli {

// The windows library's picture of "Save Graph", for zamo-cli. It starts a GUI application
// on first use, on the offscreen platform unless QT_QPA_PLATFORM says otherwise, so that it
// works without a display; the application ends with this object.
class GraphRenderer {
 public:
  GraphRenderer(int& argc, char** argv);
  ~GraphRenderer();
  GraphRenderer(const GraphRenderer&) = delete;
  GraphRenderer& operator=(const GraphRenderer&) = delete;

  // Writes the picture as the window's "Save Graph" does (SaveGraphPicture).
  void Save(const std::string& path, const KineticProject& project, int zoomBarPosition);

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QGuiApplication> application_;
};

}  // namespace zamo::cli
