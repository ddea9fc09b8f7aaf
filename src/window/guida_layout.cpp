// Layout on resize: a minimum window size, and a results area that grows
// with the window.
#include "window/guida.h"

namespace {
constexpr float LarghezzaMinima = 10700;
constexpr float AltezzaMinima = 7000;
constexpr float MargineOrizzontale = 600;
constexpr float MargineVerticale = 700;
constexpr float SpazioElenchi = 1200;
constexpr float Divisore = 3;
} // namespace

void Guida::Form_Resize() {
    if (WindowState() == 1) {
        return;
    }
    if (Width() < LarghezzaMinima) {
        setWidth(LarghezzaMinima);
    }
    if (Height() < AltezzaMinima) {
        setHeight(AltezzaMinima);
    }
    frmELABORAZIONE.setWidth(Width() - MargineOrizzontale);
    frmELABORAZIONE.setHeight(Height() - frmELABORAZIONE.Top() - MargineVerticale);
    txtSTATUS.setWidth(frmELABORAZIONE.Width() - MargineOrizzontale);
    lstCAMPI.setWidth(txtSTATUS.Width() / Divisore);
    lstCAMPI.setHeight(frmELABORAZIONE.Height() - SpazioElenchi);
    lblCAMPI.setWidth(lstCAMPI.Width());
    lstDATI.setWidth(txtSTATUS.Width() - lstCAMPI.Width());
    lstDATI.setLeft(lstCAMPI.Width() + lstCAMPI.Left());
    lstDATI.setHeight(frmELABORAZIONE.Height() - SpazioElenchi);
    lblDATI.setWidth(lstDATI.Width());
    lblDATI.setLeft(lstDATI.Left());
}
