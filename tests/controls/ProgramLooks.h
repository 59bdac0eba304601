// The two custom-drawn controls as the program's windows set them up, so that
// the pixel checks and the demo window look at what a test leader sees.
#pragma once

#include "controls/UiPanels.h"
#include "controls/UiRadioGroup.h"
#include "platform/Colors.h"

// The form choice of the particulars window.
inline void SetUpAsZIBversion(TUiRadioGroup &g)
{
    g.SetCaption("ZIB-versie");
    g.Items().Add("A");
    g.Items().Add("B");
    g.SetColumns(2);
    g.SetSpaceEvenly(true);
    g.SetStartPos(20, 8);
    g.SetVerticalSpacing(5);
    g.SetItemHeight(24);
    g.SetGroupStyle(gsStandard);
    g.SetVisualStyle(vsGradient);
    g.SetGradientColorStyle(gcsMSOffice);
    g.SetTransparent(true);
    g.SetColor(plat::clMoneyGreen);
    g.Font().SetName("Arial Rounded MT Bold");
    g.Font().SetStyle(plat::fsBold);
    g.Font().SetColor(plat::clYellow);
    g.Font().SetHeight(24);
    g.ItemFont().SetName("Arial Rounded MT Bold");
    g.ItemFont().SetStyle(plat::fsBold);
    g.ItemFont().SetColor(plat::clAqua);
    g.ItemFont().SetHeight(-19);
    g.SetItemHotTrack(true);
    g.SetItemHotTrackColor(plat::clLime);
    g.SetItemHighlightColor(plat::clNavy);
    g.SetItemIndex(0);
}

// An item grid of the correction window (FWaccGrid, FVaccGrid), bounds apart.
inline void SetUpAsAccGrid(TUiGridPanel &g)
{
    g.ColumnCollection().assign(12, plat::TCellItem{plat::TSizeStyle::ssAbsolute, 55});
    g.RowCollection() = {plat::TCellItem{plat::TSizeStyle::ssPercent, 50},
                         plat::TCellItem{plat::TSizeStyle::ssPercent, 50}, plat::TCellItem{plat::TSizeStyle::ssAuto, 0}};
    g.SetBorderInner(fsFlat);
    g.SetBorderColor(plat::clPurple);
    g.SetBorderWidth(1);
    g.SetGradientDirection(gdBigSquareBox);
}
