#include "ui/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitZamoResources() { Q_INIT_RESOURCE(zamo); }

namespace zamo {

void InitResources() {
  static const bool done = [] {
    InitZamoResources();
    return true;
  }();
  (void)done;
}

}  // namespace zamo
