// The program's pictures, drawn at run time: the product picture of the
// splash and Information dialog and the tool bar's buttons.
#include <wx/dc.h>
#include <wx/dcgraph.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include "ui/wx/internal.h"

namespace ardentix::ui::desktop {

namespace {

// Drawing in units of a 32 x 32 square scaled to the picture's size.
class Pen {
 public:
  Pen(wxGCDC& dc, int size) : dc_(dc), k_(size / 32.0) {}
  int operator()(double v) const { return static_cast<int>(v * k_ + 0.5); }
  void Colours(const wxColour& line, const wxColour& fill, double width = 1.5) {
    dc_.SetPen(wxPen(line, std::max(1, (*this)(width))));
    dc_.SetBrush(wxBrush(fill));
  }
  void Rect(double x, double y, double w, double h, double radius = 0) {
    dc_.DrawRoundedRectangle((*this)(x), (*this)(y), (*this)(w), (*this)(h), (*this)(radius));
  }
  void Circle(double x, double y, double r) { dc_.DrawCircle((*this)(x), (*this)(y), (*this)(r)); }
  void Line(double x1, double y1, double x2, double y2) {
    dc_.DrawLine((*this)(x1), (*this)(y1), (*this)(x2), (*this)(y2));
  }
  void Text(const char* text, double x, double y, double w, double h, double points,
            const wxColour& colour) {
    wxFontInfo info(wxSize(0, std::max(6, (*this)(points))));
    info.FaceName("Liberation Sans").Family(wxFONTFAMILY_SWISS).Bold();
    dc_.SetFont(wxFont(info));
    dc_.SetTextForeground(colour);
    dc_.DrawLabel(wxString::FromUTF8(text), wxRect((*this)(x), (*this)(y), (*this)(w), (*this)(h)),
                  wxALIGN_CENTRE);
  }
  // A sheet of paper with a folded corner and text lines.
  void Page(double x, double y, double w, double h) {
    Colours(wxColour(90, 90, 90), *wxWHITE, 1);
    wxPoint sheet[] = {{(*this)(x), (*this)(y)},
                       {(*this)(x + w - 5), (*this)(y)},
                       {(*this)(x + w), (*this)(y + 5)},
                       {(*this)(x + w), (*this)(y + h)},
                       {(*this)(x), (*this)(y + h)}};
    dc_.DrawPolygon(5, sheet);
    dc_.SetPen(wxPen(wxColour(150, 150, 150), 1));
    for (double ly = y + 7; ly < y + h - 2; ly += 4) Line(x + 3, ly, x + w - 3, ly);
  }
  wxGCDC& dc() { return dc_; }

 private:
  wxGCDC& dc_;
  double k_;
};

const wxColour kBlue(30, 80, 160);
const wxColour kGreen(40, 140, 60);
const wxColour kRed(190, 40, 40);
const wxColour kOrange(220, 130, 30);

void DrawProduct(Pen& p) {
  p.Colours(kBlue, kBlue);
  p.Rect(1, 1, 30, 30, 5);
  p.Text("A", 1, 0, 30, 20, 20, *wxWHITE);
  p.Colours(*wxWHITE, kOrange, 0.5);
  p.Rect(5, 20, 22, 9, 2);
  p.Text("X12", 5, 20, 22, 9, 8, *wxWHITE);
}

void DrawParse(Pen& p) {
  p.Page(1, 3, 14, 20);
  p.Colours(kGreen, kGreen);
  wxPoint arrow[] = {{p(14), p(12)}, {p(20), p(12)}, {p(20), p(8)}, {p(26), p(15)},
                     {p(20), p(22)}, {p(20), p(18)}, {p(14), p(18)}};
  p.dc().DrawPolygon(7, arrow);
  p.Colours(wxColour(90, 90, 90), wxColour(230, 240, 255), 1);
  p.Rect(18, 22, 13, 9);
  p.Line(18, 25, 31, 25);
  p.Line(18, 28, 31, 28);
  p.Line(24, 22, 24, 31);
}

void DrawView(Pen& p) {
  p.Page(2, 1, 18, 24);
  p.Colours(kBlue, wxColour(220, 235, 255), 3);
  p.Circle(19, 18, 7);
  p.dc().SetPen(wxPen(kBlue, std::max(2, p(4))));
  p.Line(24, 23, 30, 30);
}

void DrawEdit(Pen& p, const char* label) {
  p.Page(2, 1, 20, 28);
  p.Colours(kBlue, kBlue, 1);
  p.Rect(3, 12, 18, 9, 1);
  p.Text(label, 3, 12, 18, 9, 7, *wxWHITE);
  // A pencil across the corner.
  p.Colours(wxColour(120, 70, 20), kOrange, 1);
  wxPoint pencil[] = {
      {p(18), p(28)}, {p(29), p(13)}, {p(32), p(15)}, {p(21), p(30)}, {p(17), p(31)}};
  p.dc().DrawPolygon(5, pencil);
}

void DrawDocumentation(Pen& p) {
  p.Colours(wxColour(20, 50, 110), kBlue, 1);
  p.Rect(4, 2, 24, 28, 2);
  p.Colours(*wxWHITE, *wxWHITE, 1);
  p.Rect(7, 5, 18, 4);
  p.Text("?", 4, 10, 24, 20, 14, *wxWHITE);
}

void DrawSupport(Pen& p) {
  p.Colours(wxColour(150, 80, 10), kOrange, 1);
  p.Circle(16, 16, 14);
  p.Colours(*wxWHITE, *wxWHITE, 1);
  p.Circle(16, 16, 7);
  p.Colours(kOrange, kOrange, 1);
  p.Circle(16, 16, 4);
}

void DrawInformation(Pen& p) {
  p.Colours(wxColour(20, 50, 110), kBlue, 1);
  p.Circle(16, 16, 14);
  p.Text("i", 2, 2, 28, 28, 20, *wxWHITE);
}

void DrawExit(Pen& p) {
  p.Colours(wxColour(90, 50, 20), wxColour(160, 100, 50), 1);
  p.Rect(4, 2, 16, 28, 1);
  p.Colours(*wxWHITE, *wxWHITE, 1);
  p.Circle(16, 17, 1.5);
  p.Colours(kRed, kRed);
  wxPoint arrow[] = {{p(18), p(14)}, {p(25), p(14)}, {p(25), p(10)}, {p(31), p(16)},
                     {p(25), p(22)}, {p(25), p(18)}, {p(18), p(18)}};
  p.dc().DrawPolygon(7, arrow);
}

void DrawUnknown(Pen& p, std::string_view name) {
  p.Colours(wxColour(120, 120, 120), wxColour(220, 220, 220), 1);
  p.Rect(1, 1, 30, 30, 3);
  const std::string first = name.empty() ? std::string("?") : std::string(1, name.front());
  p.Text(first.c_str(), 1, 1, 30, 30, 16, wxColour(60, 60, 60));
}

}  // namespace

wxBitmap Picture(std::string_view name, int size) {
  if (size < 8) size = 8;
  wxImage image(size, size);
  image.InitAlpha();
  unsigned char* alpha = image.GetAlpha();
  for (int i = 0; i < size * size; ++i) alpha[i] = 0;
  wxBitmap bitmap(image);
  {
    wxMemoryDC memory(bitmap);
    wxGCDC dc(memory);
    Pen p(dc, size);
    if (name == "splash" || name == "product") {
      DrawProduct(p);
    } else if (name == "parse") {
      DrawParse(p);
    } else if (name == "view") {
      DrawView(p);
    } else if (name == "edit_ini") {
      DrawEdit(p, "INI");
    } else if (name == "edit_map") {
      DrawEdit(p, "XML");
    } else if (name == "documentation") {
      DrawDocumentation(p);
    } else if (name == "support") {
      DrawSupport(p);
    } else if (name == "information") {
      DrawInformation(p);
    } else if (name == "exit") {
      DrawExit(p);
    } else {
      DrawUnknown(p, name);
    }
  }
  return bitmap;
}

}  // namespace ardentix::ui::desktop
