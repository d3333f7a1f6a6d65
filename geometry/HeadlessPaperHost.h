#pragma once
// The paper view's host for a report with no window: the export to PDF, the
// benchmarks and the tests. There are no rulers to place, and the preview
// picture is kept but nobody shows it.
#include "geometry/PrnPaper.h"

namespace quillet {

template <class Picture> class HeadlessPaperHost : public TMyPaperHost {
public:
    int TopStripWidth() const override { return 0; }
    int LeftStripHeight() const override { return 0; }
    void SetTopRuler(int, int, int, int) override { }
    void SetLeftRuler(int, int, int, int) override { }
    int TopRulerStartWhere() const override { return 0; }
    int LeftRulerStartWhere() const override { return 0; }
    void PlacePreviewImage(int, int, int, int) override { }
    Bitmap& PreviewPicture() override { return picture; }
    void PreviewPictureChanged() override { }
    void ScrollToOrigin() override { }

    Picture picture { 96, 96 };
};

} // namespace quillet
