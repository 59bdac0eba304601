#pragma once
// The shared vocabulary of the custom-drawn controls: enumerations and sets,
// colour arithmetic on a hue-luminance-saturation scale of 0..240, the
// scheme colours, the frame and border painters, text and font routines,
// the frame controller and the colour-name tables.
//
// There are no visual themes here (plat::ThemeServicesEnabled() is false)
// and no registry: the desktop colour scheme is always the normal one. The
// scheme colours are a pure function of the theme state and the scheme
// number, so that every table stays reachable.
#include "platform/core/Component.h"
#include "platform/core/Types.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Controls.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

enum class TAlignmentVertical { avTop, avCenter, avBottom };
using enum TAlignmentVertical;
enum class TTextStyle { tsNormal, tsRaised, tsRecessed, tsShadow };
using enum TTextStyle;
enum class TFrameStyleEx { fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp,
                           fsStatus, fsPopup, fsFlatBold, fsFlatRounded };
using enum TFrameStyleEx;
// The range fsNone .. fsFlatBold of TFrameStyleEx.
using TFrameStyle = TFrameStyleEx;
enum class TFramingPreference { fpCustomFraming, fpXPThemes };
using enum TFramingPreference;
enum class TGradientDirection { gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter, gdHorizontalBox,
                                gdVerticalEnd, gdVerticalCenter, gdVerticalBox, gdSquareBox, gdBigSquareBox };
using enum TGradientDirection;
enum class TSide { sdLeft, sdTop, sdRight, sdBottom };
using enum TSide;
// One byte, bit 0 = left ... bit 3 = bottom.
using TSides = uint8_t;
constexpr TSides SideBit(TSide s) { return static_cast<TSides>(1u << static_cast<unsigned>(s)); }
constexpr TSides sdAllSides = 0x0F;
constexpr bool HasSide(TSides set, TSide s) { return set & SideBit(s); }
enum class TUiHotTrackColorType { htctComplement, htctActual };
using enum TUiHotTrackColorType;
enum class TUiGradientColorStyle { gcsSystem, gcsMSOffice, gcsCustom };
using enum TUiGradientColorStyle;
enum class TUiVisualStyle { vsClassic, vsWinXP, vsGradient };
using enum TUiVisualStyle;
enum class TUiButtonHotTrackStyle { htsInterior, htsFrame };
using enum TUiButtonHotTrackStyle;
enum class TUiFrameControllerProperty { fcpColor, fcpFocusColor, fcpDisabledColor, fcpReadOnlyColor,
                                        fcpReadOnlyColorOnFocus, fcpParentColor, fcpFlatButtonColor,
                                        fcpFlatButtons, fcpFrameColor, fcpFrameHotColor, fcpFrameHotTrack,
                                        fcpFrameHotStyle, fcpFrameSides, fcpFrameStyle, fcpFrameVisible,
                                        fcpFramingPreference, fcpAll };
using enum TUiFrameControllerProperty;
// A set of fcpColor .. fcpFramingPreference, bit n = property n.
using TUiFrameControllerNotifications = uint16_t;
constexpr TUiFrameControllerNotifications fcnAll = 0xFFFF;
constexpr TUiFrameControllerNotifications FcpBit(TUiFrameControllerProperty p)
{
    return static_cast<TUiFrameControllerNotifications>(1u << static_cast<unsigned>(p));
}
enum class TUiPathType { ptIniFile, ptRegistry };
using enum TUiPathType;
enum class TUiRegKey { hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyPerformanceData,
                       hkeyCurrentConfig, hkeyDynData };
using enum TUiRegKey;
enum class TUiRegAccessKey { keyQueryValue, keySetValue, keyCreateSubKey, keyEnumerateSubKeys, keyNotify,
                             keyCreateLink, keyRead, keyWrite, keyExecute, keyAllAccess };
using enum TUiRegAccessKey;
using TUiRegAccess = uint16_t;
constexpr TUiRegAccess RegAccessBit(TUiRegAccessKey k) { return static_cast<TUiRegAccess>(1u << static_cast<unsigned>(k)); }
enum class TUiSpecialFolder { sfNone, sfUserAppDataRoaming, sfUserAppDataLocal, sfUserDocuments, sfProgramData };
using enum TUiSpecialFolder;
enum class TUiIniFileEncoding { feDefault, feUTF8, feUnicode };
using enum TUiIniFileEncoding;

// ---------------------------------------------------------------- colours

struct THueLumSat {
    uint8_t Hue = 0, Sat = 0, Lum = 0;
    friend bool operator==(const THueLumSat &, const THueLumSat &) = default;
};

THueLumSat ColorToHueLumSat(plat::TColor color);
uint8_t ColorHue(plat::TColor color);
// Luminance is taken up to 255 (ShadeUp may go past 240); channels above
// full count as full.
plat::TColor HueLumSatToColor(int hue, int sat, int lum);
plat::TColor ShadeDown(plat::TColor color, int amount);
plat::TColor ShadeUp(plat::TColor color, int amount);
// 0 gives the colour itself, unresolved.
plat::TColor ShadeBy(plat::TColor color, int amount);
plat::TColor MixColors(plat::TColor c1, plat::TColor c2, uint8_t weight);
bool ColorsNear(plat::TColor c1, plat::TColor c2);
plat::TColor OppositeHueColor(plat::TColor color, uint8_t lum);

// More than 256 colours on the primary screen; worked out on first use once
// the application exists. Tests set it (nullopt: ask the screen again).
bool IsDeepColorScreen();
void SetDeepColorScreenForTesting(std::optional<bool> deep);

// Always 0 (normal): there is no registry to read the theme's colour name from.
int ReadDesktopColorScheme();

// The scheme colours as a pure core: the office look applies only with
// gcsMSOffice while themes are on.
struct TSchemeColors {
    plat::TColor GradientStart, GradientStop, Frame;
    std::array<plat::TColor, 3> Selection;
};
TSchemeColors SchemeColorsFor(TUiGradientColorStyle style, bool themesEnabled, int scheme);
// The same for this machine (themes off, scheme 0).
void SchemeGradientPair(TUiGradientColorStyle style, plat::TColor &start, plat::TColor &stop);
plat::TColor SchemeFrameColor(TUiGradientColorStyle style);
std::array<plat::TColor, 3> SchemeSelectionColors(TUiGradientColorStyle style);
// clBtnFace while themes are off, which they always are.
plat::TColor ThemePartColor(int element);

// Upper-left and lower-right colours of a frame style.
plat::TColor FrameStyleUpperLeft(TFrameStyle style);
plat::TColor FrameStyleLowerRight(TFrameStyle style);

// ---------------------------------------------------------------- frame painters
// Each returns the rectangle left inside what it drew.

plat::TRect PaintFrameSides(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor upperLeft,
                            plat::TColor lowerRight, TSides sides);
plat::TRect PaintFrameBand(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor upperLeft,
                           plat::TColor lowerRight, int width, TSides sides);
plat::TRect PaintSunkenRaised(plat::TCanvas &canvas, const plat::TRect &r, bool lowered, TSides sides);
plat::TRect PaintPushFrame(plat::TCanvas &canvas, const plat::TRect &r, bool down, TSides sides = sdAllSides);
plat::TRect PaintTintPushFrame(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor base, bool down,
                               TSides sides = sdAllSides);
plat::TRect PaintStyledFrame(plat::TCanvas &canvas, const plat::TRect &r, TFrameStyle style,
                             TSides sides = sdAllSides);
plat::TRect PaintTintStyledFrame(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor base, TFrameStyle style,
                                 TSides sides = sdAllSides);
plat::TRect PaintBoxOutline(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor color);
plat::TRect PaintDottedOutline(plat::TCanvas &canvas, const plat::TRect &r);
plat::TRect PaintRoundedOutline(plat::TCanvas &canvas, const plat::TRect &r, plat::TColor color, TSides sides);

struct TPanelFrameLook {
    TFrameStyleEx Outer = fsNone, Inner = fsNone;
    int BorderWidth = 0;
    TSides Sides = sdAllSides;
    int BevelWidth = 1;
    plat::TColor BorderColor = plat::clBtnFace, Highlight = plat::clBtnHighlight, Shadow = plat::clBtnShadow;
    plat::TColor FlatColor = plat::clBtnShadow;
    int FlatColorAdjustment = 0;
    plat::TColor ControlColor = plat::clBtnFace, ParentColor = plat::clBtnFace;
    bool Transparent = false, Soft = false;
};
plat::TRect PaintPanelFrames(plat::TCanvas &canvas, const plat::TRect &r, const TPanelFrameLook &look);
// Only on a deep-colour screen; the two outer pixels of r.
void PaintGradientRim(plat::TCanvas &canvas, const plat::TRect &r, TGradientDirection direction,
                      plat::TColor start, plat::TColor stop);

// ---------------------------------------------------------------- text and fonts

void InvalidateSeeThroughChildren(plat::TWinControl &control);
// A font with the given one's height, name, style, character set and pitch,
// turned by angle degrees.
std::unique_ptr<plat::TFont> MakeAngledFont(const plat::TFont &font, int angle);
plat::String StripMnemonics(const plat::String &text);
int DrawTextInRect(plat::TCanvas &canvas, const plat::String &text, plat::TRect &r, unsigned flags);

// ---------------------------------------------------------------- frame controller

class TUiFrameController;

// What a control offers to a frame controller that it links to.
class IUiFrameControllerClient {
public:
    virtual ~IUiFrameControllerClient() = default;
    virtual void UpdateFromController(TUiFrameController &controller, TUiFrameControllerProperty property) = 0;
};

class TUiRegIniFile;

class TUiFrameController : public plat::TComponent {
public:
    explicit TUiFrameController(plat::TComponent *owner = nullptr);
    ~TUiFrameController() override;

    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    plat::TColor FlatButtonColor() const { return flatButtonColor_; }
    void SetFlatButtonColor(plat::TColor v);
    bool FlatButtons() const { return flatButtons_; }
    void SetFlatButtons(bool v);
    plat::TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(plat::TColor v);
    plat::TColor ReadOnlyColor() const { return readOnlyColor_; }
    void SetReadOnlyColor(plat::TColor v);
    bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
    void SetReadOnlyColorOnFocus(bool v);
    plat::TColor FocusColor() const { return focusColor_; }
    void SetFocusColor(plat::TColor v);
    plat::TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(plat::TColor v);
    plat::TColor FrameHotColor() const { return frameHotColor_; }
    void SetFrameHotColor(plat::TColor v);
    bool FrameHotTrack() const { return frameHotTrack_; }
    void SetFrameHotTrack(bool v);
    TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
    void SetFrameHotStyle(TFrameStyle v);
    TSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TSides v);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle v);
    bool FrameVisible() const { return frameVisible_; }
    void SetFrameVisible(bool v);
    TFramingPreference FramingPreference() const { return framingPreference_; }
    void SetFramingPreference(TFramingPreference v);
    TUiRegIniFile *RegIniFile() const { return regIniFile_; }
    void SetRegIniFile(TUiRegIniFile *v);

    // A linked control gets every property at once; linking twice adds once.
    void AddControl(IUiFrameControllerClient *client);
    void RemoveControl(IUiFrameControllerClient *client);
    int LinkCount() const { return static_cast<int>(links_.size()); }

    void BeginUpdate() { ++updateCount_; }
    // The last one tells every linked control of every property.
    void EndUpdate();
    // Copies every property of another controller inside one update.
    void Assign(const TUiFrameController &other);

protected:
    void Loaded() override;
    void Notification(plat::TComponent *component, plat::TOperation operation) override;
    virtual void UpdateControl(IUiFrameControllerClient &client, TUiFrameControllerProperty property);
    virtual void NotifyControls(TUiFrameControllerProperty property);

private:
    plat::TColor color_ = plat::clWindow;
    bool parentColor_ = false;
    plat::TColor flatButtonColor_ = plat::clBtnFace;
    bool flatButtons_ = true;
    plat::TColor disabledColor_ = plat::clBtnFace;
    plat::TColor readOnlyColor_ = plat::clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    plat::TColor focusColor_ = plat::clWindow;
    plat::TColor frameColor_ = plat::clBtnShadow;
    plat::TColor frameHotColor_ = plat::clBtnShadow;
    bool frameHotTrack_ = false;
    TFrameStyle frameHotStyle_ = fsFlatBold;
    TSides frameSides_ = sdAllSides;
    TFrameStyle frameStyle_ = fsFlat;
    bool frameVisible_ = false;
    TFramingPreference framingPreference_ = fpXPThemes;
    TUiRegIniFile *regIniFile_ = nullptr;
    std::vector<IUiFrameControllerClient *> links_;
    int updateCount_ = 0;
};

// Settings storage: its properties only; nothing reads or writes with it.
class TUiRegIniFile : public plat::TComponent {
public:
    using plat::TComponent::TComponent;
    const plat::String &Path() const { return path_; }
    void SetPath(const plat::String &v);
    TUiPathType PathType() const { return pathType_; }
    void SetPathType(TUiPathType v);
    TUiRegKey RegKey() const { return regKey_; }
    void SetRegKey(TUiRegKey v);
    TUiRegAccess RegAccess() const { return regAccess_; }
    void SetRegAccess(TUiRegAccess v);
    TUiSpecialFolder SpecialFolder() const { return specialFolder_; }
    void SetSpecialFolder(TUiSpecialFolder v);
    TUiIniFileEncoding FileEncoding() const { return fileEncoding_; }
    void SetFileEncoding(TUiIniFileEncoding v);
    // Set by a change of any setting: the storage must be opened anew.
    bool RefreshNeeded() const { return refresh_; }

private:
    plat::String path_;
    TUiPathType pathType_ = ptIniFile;
    TUiRegKey regKey_ = hkeyCurrentUser;
    TUiRegAccess regAccess_ = RegAccessBit(keyAllAccess);
    TUiSpecialFolder specialFolder_ = sfNone;
    TUiIniFileEncoding fileEncoding_ = feDefault;
    bool refresh_ = false;
};

// ---------------------------------------------------------------- helpers of the controls

// Stores v in field; false (and nothing stored) when it is the present value.
template <class T>
bool StoreChanged(T &field, const T &v)
{
    if (field == v)
        return false;
    field = v;
    return true;
}

// Moves client from the controller in field to fc (either may be none):
// removed from the old one's list, added to the new one's (which pushes all
// its settings at once), with free notices both ways for self.
void RelinkFrameController(TUiFrameController *&field, TUiFrameController *fc, plat::TComponent &self,
                           IUiFrameControllerClient &client);

// With tabOnEnter, Enter becomes a Tab key-down posted to the control
// (the focus moves on); true when the key was taken.
bool TabOnEnterKey(plat::TControl &control, bool tabOnEnter, char32_t &key);

// Sets a flag for the lifetime of the scope, also when an exception passes.
class TFlagScope {
public:
    explicit TFlagScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope &) = delete;
    TFlagScope &operator=(const TFlagScope &) = delete;

private:
    bool &flag_;
};

// ---------------------------------------------------------------- colour names

struct TUiColorRec {
    const char *Name;
    plat::TColor Color;
};
// "Default" and "Custom" (both 0).
const std::vector<TUiColorRec> &UiSpecialColorNames();
// The sixteen basic colours.
const std::vector<TUiColorRec> &UiBasicColorNames();
// The 25 system colours, 0xFF000000 plus row 0..24.
const std::vector<TUiColorRec> &UiSystemColorNames();
