// The entry point of the desktop module "ardentix-desktop.so".
#include "ui/wx/desktop.h"

extern "C" __attribute__((visibility("default"))) ardentix::ui::Ui* ardentix_open_desktop(
    int argc, char** argv) {
  return ardentix::ui::desktop::OpenDesktop(argc, argv).release();
}
