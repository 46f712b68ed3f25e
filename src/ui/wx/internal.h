// Inside the desktop backend: the toolkit edge (text and file-name
// conversion, fonts, pictures) and the window runners shared by the
// backend's source files. Only files of this folder include it.
#ifndef ARDENTIX_UI_WX_INTERNAL_H_
#define ARDENTIX_UI_WX_INTERNAL_H_

#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/string.h>
#include <wx/window.h>

#include <string>
#include <string_view>

#include "ui/dialog.h"
#include "ui/wx/desktop.h"

namespace ardentix::ui::desktop {

// Model text (Latin-1 bytes) to the toolkit and back; characters beyond
// Latin-1 become "?".
wxString FromLatin1(std::string_view bytes);
std::string ToLatin1(const wxString& text);
// Multi-line edit fields: CR LF (and a lone CR) become LF for the toolkit;
// on the way back LF becomes CR LF when `crlf` is set.
wxString ToEditLines(std::string_view bytes);
std::string FromEditLines(const wxString& text, bool crlf);
// File names as the system has them.
wxString FromPath(const std::string& path);
std::string ToPath(const wxString& path);
// "*.xml" -> "*.[xX][mM][lL]": the toolkit's file filters match letter case.
wxString AnyCaseMask(std::string_view mask);

// The program's fonts F1..F5 with the platform's faces.
wxFont FontOf(Font font);
// A picture resource drawn at `size` x `size` pixels.
wxBitmap Picture(std::string_view name, int size);

// The window of the innermost dialog being shown (parent of message boxes);
// nullptr when none.
wxWindow* TopWindow();
// Shows `dialog` modally / `window` as the top-level window until closed.
int RunDialogWindow(Dialog& dialog);
int RunFrameWindow(Dialog& window);

}  // namespace ardentix::ui::desktop

#endif  // ARDENTIX_UI_WX_INTERNAL_H_
