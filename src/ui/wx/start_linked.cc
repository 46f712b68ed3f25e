// StartDesktop for programs that link the backend (the test programs).
#include "ui/wx/desktop.h"
#include "ui/wx/start.h"

namespace ardentix::ui::desktop {

std::unique_ptr<Ui> StartDesktop(int argc, char** argv, std::string*) {
  return OpenDesktop(argc, argv);
}

}  // namespace ardentix::ui::desktop
