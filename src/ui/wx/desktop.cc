// The desktop backend's services: toolkit start, message boxes, questions,
// notices, choosers, the meter window, launch and the clipboard.
#include "ui/wx/desktop.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dirdlg.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#if ARDENTIX_WX_WEBVIEW
#include <wx/webview.h>
#endif

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/wx/internal.h"

namespace ardentix::ui::desktop {

namespace {

class App : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// A failed toolkit assertion is reported on stderr; it never opens a window
// of its own that would stop the program.
void ReportAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  std::fprintf(stderr, "ardentix: toolkit assertion %s:%d %s: %s %s\n",
               static_cast<const char*>(file.utf8_str()), line,
               static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
               static_cast<const char*>(msg.utf8_str()));
}

long IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInfo:
      return wxICON_INFORMATION;
    case MessageIcon::kWarning:
      return wxICON_WARNING;
    case MessageIcon::kStop:
      return wxICON_ERROR;
    case MessageIcon::kQuestion:
      return wxICON_QUESTION;
  }
  return wxICON_INFORMATION;
}

// The meter: a small window over the others with the caption, the bar and
// the status line. It repaints as it changes, since the work that drives it
// does not return to the event loop.
class MeterWindow : public MeterView {
 public:
  MeterWindow(const std::string& caption, const std::string& title) {
    frame_ = new wxFrame(TopWindow(), wxID_ANY, FromLatin1(title), wxDefaultPosition, wxDefaultSize,
                         wxCAPTION | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT | wxSTAY_ON_TOP);
    auto* panel = new wxPanel(frame_);
    const int width = 42 * Units::kCol;
    caption_ = new wxStaticText(panel, wxID_ANY, FromLatin1(caption), wxPoint(Units::kCol, 8),
                                wxSize(width, Units::kRow), wxST_NO_AUTORESIZE);
    gauge_ = new wxGauge(panel, wxID_ANY, 100, wxPoint(Units::kCol, 8 + 2 * Units::kRow),
                         wxSize(width, Units::kRow + 4), wxGA_HORIZONTAL | wxGA_SMOOTH);
    status_ =
        new wxStaticText(panel, wxID_ANY, wxString(), wxPoint(Units::kCol, 12 + 4 * Units::kRow),
                         wxSize(width, Units::kRow), wxST_NO_AUTORESIZE);
    for (wxWindow* w : std::vector<wxWindow*>{caption_, status_}) w->SetFont(FontOf(Font::kF1));
    frame_->SetClientSize(width + 2 * Units::kCol, 16 + 5 * Units::kRow);
    frame_->CentreOnParent();
    frame_->Show();
    Pump();
  }
  ~MeterWindow() override { frame_->Destroy(); }
  MeterWindow(const MeterWindow&) = delete;
  MeterWindow& operator=(const MeterWindow&) = delete;

  void SetPercent(int percent) override {
    gauge_->SetValue(std::clamp(percent, 0, 100));
    Pump();
  }
  void SetCaption(const std::string& caption) override {
    caption_->SetLabel(FromLatin1(caption));
    Pump();
  }
  void SetStatus(const std::string& status) override {
    status_->SetLabel(FromLatin1(status));
    Pump();
  }

 private:
  void Pump() {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
      loop->YieldFor(wxEVT_CATEGORY_UI);
    } else {
      frame_->Update();
    }
  }

  wxFrame* frame_;
  wxStaticText* caption_;
  wxGauge* gauge_;
  wxStaticText* status_;
};

class DesktopUi : public Ui {
 public:
  BackendKind kind() const override { return BackendKind::kDesktop; }

  void Message(std::string_view text, std::string_view title, MessageIcon icon) override {
    wxMessageDialog box(TopWindow(), FromLatin1(text), FromLatin1(title), wxOK | IconStyle(icon));
    box.ShowModal();
  }

  bool AskYesNo(std::string_view question, std::string_view title, bool default_yes) override {
    wxMessageDialog box(TopWindow(), FromLatin1(question), FromLatin1(title),
                        wxYES_NO | wxICON_QUESTION | (default_yes ? wxYES_DEFAULT : wxNO_DEFAULT));
    return box.ShowModal() == wxID_YES;
  }

  // A small dialog of our own, so that its timer can close it.
  void Notice(std::string_view text, std::string_view title) override {
    std::size_t longest = title.size();
    std::size_t lines = 1;
    std::size_t current = 0;
    for (char c : text) {
      if (c == '\n') {
        ++lines;
        current = 0;
      } else {
        longest = std::max(longest, ++current);
      }
    }
    const double cols = std::clamp<double>(static_cast<double>(longest) + 4, 30, 80);
    const double rows = static_cast<double>(lines) + 4;
    Dialog notice(std::string(title), static_cast<int>(cols * Units::kCol),
                  static_cast<int>(rows * Units::kRow));
    notice.AddLabel("text", std::string(text), Cells(1, 2, static_cast<double>(lines), cols - 4));
    Control& ok = notice.AddButton("ok", "OK", Cells(rows - 2.5, cols / 2 - 4, 1.5, 8));
    ok.is_default = true;
    ok.is_cancel = true;
    notice.OnClick("ok", [](Dialog& d, const Event&) { d.Close(0); });
    notice.AddTimer(TimerSpec{"close", 2000, false}, [](Dialog& d, const Event&) { d.Close(0); });
    RunDialogWindow(notice);
  }

  std::optional<std::string> ChooseFile(const FileChooserSpec& spec) override {
    wxString wildcard;
    for (const auto& mask : spec.masks) {
      if (!wildcard.empty()) wildcard += "|";
      wildcard += FromLatin1(mask) + "|" + AnyCaseMask(mask);
    }
    if (wildcard.empty()) wildcard = "*|*";
    const long style = spec.save ? wxFD_SAVE : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxFileDialog chooser(TopWindow(), FromLatin1(spec.title), FromPath(spec.folder),
                         FromPath(spec.default_name), wildcard, style);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    return ToPath(chooser.GetPath());
  }

  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view start) override {
    wxDirDialog chooser(TopWindow(), FromLatin1(title), FromPath(std::string(start)));
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    return ToPath(chooser.GetPath());
  }

  int RunModal(Dialog& dialog) override {
    // Without an embedded browser a web page opens in the system browser; a
    // window that would hold nothing else is not shown at all.
    if (!WebViewAvailable()) {
      bool has_web = false;
      bool only_web = true;
      for (const auto& control : dialog.controls()) {
        if (control->kind == ControlKind::kWebView) {
          has_web = true;
          Launch(LaunchKind::kBrowser, control->text);
        } else {
          only_web = false;
        }
      }
      if (has_web && only_web) {
        dialog.Reopen();
        dialog.Close(0);
        return 0;
      }
    }
    return RunDialogWindow(dialog);
  }

  int RunTopLevel(Dialog& window) override { return RunFrameWindow(window); }

  std::unique_ptr<MeterView> ShowMeter(const std::string& caption,
                                       const std::string& title) override {
    return std::make_unique<MeterWindow>(caption, title);
  }

  bool Launch(LaunchKind kind, const std::string& target) override {
    const bool started = SpawnDetached(LaunchCommand(kind, target));
    if (!started) Log("could not start a program for " + target);
    return started;
  }

  void SetClipboard(std::string_view text) override {
    if (!wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxTextDataObject(FromLatin1(text)));
    wxTheClipboard->Close();
    // The text stays on the clipboard after the program ends.
    wxTheClipboard->Flush();
  }

  std::string Clipboard() override {
    std::string text;
    if (!wxTheClipboard->Open()) return text;
    if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT)) {
      wxTextDataObject data;
      if (wxTheClipboard->GetData(data)) text = ToLatin1(data.GetText());
    }
    wxTheClipboard->Close();
    return text;
  }
};

}  // namespace

std::unique_ptr<Ui> OpenDesktop(int argc, char** argv) {
  static bool tried = false;
  static bool started = false;
  if (!DisplayNamed()) return nullptr;
  if (!tried) {
    tried = true;
    // The toolkit may take its own options out of the arguments it gets.
    static std::vector<std::string> kept(argv, argv + argc);
    static std::vector<char*> args;
    for (auto& a : kept) args.push_back(a.data());
    args.push_back(nullptr);
    static int count = argc;
    wxSetAssertHandler(ReportAssert);
    wxApp::SetInstance(new App);
    {
      wxLogNull quiet;
      started = wxEntryStart(count, args.data()) && wxTheApp->CallOnInit();
    }
    if (started) {
      wxTheApp->SetExitOnFrameDelete(false);
      wxInitAllImageHandlers();
      // Numbers in files and reports never follow the desktop's locale.
      std::setlocale(LC_NUMERIC, "C");
    }
  }
  if (!started) return nullptr;
  return std::make_unique<DesktopUi>();
}

bool WebViewAvailable() {
#if ARDENTIX_WX_WEBVIEW
  return wxWebView::IsBackendAvailable(wxWebViewBackendDefault);
#else
  return false;
#endif
}

}  // namespace ardentix::ui::desktop
