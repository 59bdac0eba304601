// Two custom-drawn controls with many of their properties set at once, for
// the pixel checks and the demo window. The program's own windows are read
// in tests/administration/program_looks_test.cpp.
#pragma once

#include "controls/UiPanels.h"
#include "controls/UiRadioGroup.h"
#include "platform/graphics/Colors.h"

// A transparent two-column choice in the gradient style, hot-tracking its items.
inline void SetUpGradientChoice(TUiRadioGroup &g)
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

// Twelve fixed columns over two rows, within a flat purple inner border.
inline void SetUpBorderedGrid(TUiGridPanel &g)
{
    g.ColumnCollection().assign(12, plat::TCellItem{plat::TSizeStyle::ssAbsolute, 55});
    g.RowCollection() = {plat::TCellItem{plat::TSizeStyle::ssPercent, 50},
                         plat::TCellItem{plat::TSizeStyle::ssPercent, 50}, plat::TCellItem{plat::TSizeStyle::ssAuto, 0}};
    g.SetBorderInner(fsFlat);
    g.SetBorderColor(plat::clPurple);
    g.SetBorderWidth(1);
    g.SetGradientDirection(gdBigSquareBox);
}
