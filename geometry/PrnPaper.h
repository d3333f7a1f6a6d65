#pragma once
// The paper view: sizes the two rulers and the page image of the preview to
// a sheet in whole centimetres, and paints the empty sheet with its shadow.
#include "geometry/PrnScreen.h"
#include "geometry/RulerScale.h"
#include "platform/Bitmap.h"

namespace quillet {

// What the paper view needs of the main window. The window implements it;
// tests use a fake.
class TMyPaperHost {
public:
    virtual ~TMyPaperHost() = default;
    virtual int TopStripWidth() const = 0; // ScrollBox_Top
    virtual int LeftStripHeight() const = 0; // ScrollBox_Left
    // Place, size and number a ruler, then paint it; its StartWhere is
    // known when the call returns.
    virtual void SetTopRuler(int left, int width, int startNumber, int lengthNumber) = 0;
    virtual void SetLeftRuler(int top, int height, int startNumber, int lengthNumber) = 0;
    // How the rulers measure: the paper at a zoom, or (zoom 0) centimetres
    // of the screen. Set before the rulers are placed.
    virtual void SetRulerPaper(const RulerPaper& /*top*/, const RulerPaper& /*left*/) { }
    virtual int TopRulerStartWhere() const = 0;
    virtual int LeftRulerStartWhere() const = 0;
    // Image_Review: position and size of the control, and the size of its picture.
    virtual void PlacePreviewImage(int left, int top, int width, int height) = 0;
    virtual Bitmap& PreviewPicture() = 0;
    // The picture changed: show it.
    virtual void PreviewPictureChanged() = 0;
    // Scroll the main scroll box back to its top left corner.
    virtual void ScrollToOrigin() = 0;
};

class TMyPaper {
public:
    TMyPaper(TMyPaperHost& host, const TMyScreen& screen);

    // Width and height of the sheet as shown, in whole centimetres. A sheet
    // is shown at least 1 cm and at most kMaxSheetPixels a side: a paper of
    // nothing or of many metres, from a format file or a printer, still shows
    // a sheet, cut to what a picture can hold. A zoom above 1 (the sheet is
    // shown enlarged) lets the sheet grow by as much: the window draws only
    // what is seen of it.
    void SetPaper(int widthCm, int heightCm, double zoom = 1.0);
    // The sheet of a paper of widthMm x heightMm at the zoom (1 = 100 %),
    // exactly, its proportions kept: for every zoom but 100 % and 50 %,
    // which show whole centimetres. The rulers measure the paper; the sheet
    // lies kSheetMargin pixels in from the area's edges, or centred in a
    // larger area.
    void SetSheet(int widthMm, int heightMm, double zoom);
    static constexpr int kSheetMargin = 24;
    void DrawBlankPage();

    // 127 cm at 96 dots per inch: an A0 sheet (84 x 118 cm) is shown whole.
    static constexpr int kMaxSheetPixels = 4800;
    // The sheet of the last SetPaper as shown, and whether that differs from
    // the size asked for.
    int ShownWidthCm() const { return shownWidthCm_; }
    int ShownHeightCm() const { return shownHeightCm_; }
    bool SheetFitted() const { return fitted_; }

    TMyPaperHost& Host() { return host_; }

private:
    TMyPaperHost& host_;
    const TMyScreen& screen_;
    int shownWidthCm_ = 0;
    int shownHeightCm_ = 0;
    bool fitted_ = false;
};

} // namespace quillet
