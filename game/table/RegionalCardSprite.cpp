#include "game/table/RegionalCardSprite.h"

#include <algorithm>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongFrameView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

constexpr uint32_t kShadowLinkFlags = 0x1bc0eb;
constexpr uint32_t kWildMarkLinkFlags = 0x3c0eb;
constexpr double kThrownBackDepth = 2999.0;
constexpr double kThrownDepth = 3000.0;
constexpr int kThrownBackMargin = 28;
// The halo keeps this far inside the thrown tile's quarter of the centre.
constexpr int kThrownBackInset = 1;
constexpr uint32_t kFaceFlag = 0x4000;

// The four-step and three-step size prefixes.
const char* FourStepPrefix(const TilePictureInput& in, bool small) {
    if (small) {
        return "800";
    }
    if (in.screenWidth < 1366) {
        return "1024";
    }
    return in.screenWidth < 1600 ? "1366" : "1600";
}

const char* ThreeStepPrefix(const TilePictureInput& in, bool small) {
    if (small) {
        return "800";
    }
    return in.screenWidth < 1600 ? "1366" : "1600";
}

}  // namespace

TilePicture ChooseTilePicture(const TilePictureInput& in, int frameOfTile) {
    TilePicture out;
    const int w = in.screenWidth;
    const bool small = w < 1024 || in.viewWidth < 800 || in.viewHeight < 601;
    const char* p4 = FourStepPrefix(in, small);
    const char* p3 = ThreeStepPrefix(in, small);
    const bool realTile = IsRealTile(in.tile);
    const bool down = in.faceUp == 0 || !realTile;
    const int p = in.position;
    const char* side = p == 0 || p == 2 ? "02" : "13";
    out.frame = down ? 0 : frameOfTile;
    char* key = out.key;
    const size_t size = sizeof out.key;
    switch (in.kind) {
        case CCardSprite::kKindWall:
            if (down) {
                std::snprintf(key, size, "%s%s", w < 1600 ? "1366_deal" : "1366_back", side);
            } else {
                std::snprintf(key, size, "%s_middle%d", w < 1600 ? "800" : "1366", p);
            }
            break;
        case CCardSprite::kKindHand:
            if (in.meldMark == 0) {
                if (p == 3) {
                    std::snprintf(key, size, "%s_largecard", p4);
                } else {
                    std::snprintf(key, size, "%s_side%d", p4, p);
                    out.frame = 0;
                }
            } else if (down) {
                const char* back = small ? "1366_deal" : (w < 1600 ? "1366_back" : "1600_back");
                std::snprintf(key, size, "%s%s", back, side);
            } else if (in.meldSource == p || in.meldSource < 0 || in.meldSource > 3) {
                out.keep = true;  // no picture rule: the tile keeps what it shows
            } else {
                std::snprintf(key, size, "%s_middle%d", p3, (in.meldSource + 2) % 4);
            }
            break;
        case CCardSprite::kKindDiscard:
        case CCardSprite::kKindShown:
            if (!realTile) {
                out.keep = true;
            } else {
                out.frame = frameOfTile;
                std::snprintf(key, size, "%s_middle%d", p3, p);
            }
            break;
        case CCardSprite::kKindThrown:
            out.frame = realTile ? frameOfTile : 0;
            std::snprintf(key, size, "%s_largecard", p4);
            break;
        default:
            out.keep = true;
            break;
    }
    if (w < 1024) {
        out.scaleChanges = true;
        if (in.shrinkOnNarrow) {
            const bool narrowest = w < 801;
            out.scale = narrowest ? 0.75 : 0.83;
            out.sizeNum = narrowest ? 3 : 5;
            out.sizeDen = narrowest ? 4 : 6;
        }
    }
    return out;
}

// ---- The sprite ----

CRegionalCardSprite::~CRegionalCardSprite() = default;

void CRegionalCardSprite::Create() {
    const FrameRecord faceFrame = GetResourceFrame(kFirstFaceImage, 0);
    CCorvanePicture* face = CreatePicture(faceFrame);
    if (face == nullptr) {
        return;
    }
    PeerSetUp(face, kShadowLinkFlags);
    int shadowId = 0;
    const FrameRecord shadowFrame = GetResourceFrame(kShadowImage, 0);
    if (CCorvaneCanvas* shadow = CreateCanvas(std::max(shadowFrame.width, 1),
                                              std::max(shadowFrame.height, 1), kColourKey)) {
        shadow->DrawImage(shadowFrame, 0, 0, -1, -1, 0.0, 1.0);
        shadow->SetZ(face->GetZ() - 1.0);
        face->AttachChild(shadow, kShadowLinkFlags);
        shadowId = shadow->GetId();
    }
    const FrameRecord markFrame = GetResourceFrame(kWildMarkImage, 0);
    if (CCorvaneCanvas* mark =
            CreateCanvas(std::max(markFrame.width, 1), std::max(markFrame.height, 1), kColourKey)) {
        mark->DrawImage(markFrame, 0, 0, -1, -1, 0.0, 1.0);
        mark->SetZ(face->GetZ());
        face->AttachChild(mark, kWildMarkLinkFlags);
        mark->Hide();
        wildMarkId_ = mark->GetId();
    }
    int thrownBackId = 0;
    const FrameRecord backFrame = GetResourceFrame(kThrownBackImage, 0);
    if (CCorvaneCanvas* back =
            CreateCanvas(std::max(backFrame.width, 1), std::max(backFrame.height, 1), kColourKey)) {
        back->DrawImage(backFrame, 0, 0, -1, -1, 0.0, 1.0);
        back->SetZ(kThrownBackDepth);
        back->Hide();
        thrownBackId = back->GetId();
    }
    SetPartIds(face->GetId(), shadowId, thrownBackId);
    CGameFrameApp* app = CGameFrameApp::Current();
    BindInputEvents(app != nullptr && app->IsLookOn());
}

CCorvaneCanvas* CRegionalCardSprite::GetWildMark() {
    return FindCanvasById(wildMarkId_);
}

void CRegionalCardSprite::SetMetricsForScreen(int screenHeight) {
    metrics[0] = 15;
    metrics[1] = screenHeight < 601 ? 0 : (screenHeight < 768 ? 5 : (screenHeight < 900 ? 7 : 9));
    metrics[2] = 3;
    metrics[3] = 3;
    metrics[4] = screenHeight < 601 ? 50 : 65;
}

void CRegionalCardSprite::ShowThrownBackground(bool show) {
    CCorvaneCanvas* back = GetThrownBackground();
    if (back == nullptr) {
        return;
    }
    if (show) {
        if (CCorvanePicture* face = GetFace()) {
            // As wide a margin as the tile's quarter of the centre square
            // holds, so that the halo reaches no discard nor another quarter.
            CMahjongTableView* view = GetTableView();
            const IntRect centre = view != nullptr ? view->GetCentreSquare() : IntRect{};
            int margin = kThrownBackMargin;
            if (!centre.IsEmpty()) {
                const double quarter = centre.Width() / 2 - 2 * kThrownBackInset;
                const double room = quarter - std::max(face->GetWidth(), face->GetHeight());
                margin = std::clamp(static_cast<int>(room), 0, kThrownBackMargin);
            }
            back->SetSize(face->GetWidth() + margin, face->GetHeight() + margin);
            back->SetPos(face->GetX(), face->GetY());
        }
        back->SetZ(kThrownBackDepth);
        back->Show();
    } else {
        back->Hide();
    }
    back->Invalidate();
}

void CRegionalCardSprite::Refresh() {
    EndAnimations();
    SetMetricsForScreen(GetImageHeight());
    SetAlpha(1.0);
    CCorvanePicture* face = GetFace();
    if (face != nullptr) {
        face->SetKeyColor(kColourKey);
    }
    const bool known = kind == kKindWall || kind == kKindHand || kind == kKindDiscard ||
                       kind == kKindThrown || kind == kKindShown;
    const bool shown = known && (kind == kKindWall || kind == kKindDiscard || kind == kKindShown ||
                                 (active != 0 && visible != 0));
    if (shown) {
        SelectPicture();
    }
    if (!shown || !PlaceFromView()) {
        Hide();
        if (CCorvaneCanvas* mark = GetWildMark()) {
            mark->Hide();
        }
        ShowThrownBackground(false);
        Invalidate();
        return;
    }
    ApplyKindDepth();
    if (face != nullptr && face->GetHeight() > 0) {
        PlaceShadow(static_cast<int>(face->GetHeight()));
    }
    ShowThrownBackground(kind == kKindThrown);
    Show();
    Redraw();
}

TilePictureInput CRegionalCardSprite::PictureInput() {
    TilePictureInput in;
    in.screenWidth = GetImageWidth();
    if (CMahjongTableView* view = GetTableView()) {
        const IntRect rect = view->GetViewRect();
        in.viewWidth = rect.right - rect.left;
        in.viewHeight = rect.bottom - rect.top;
    }
    in.kind = kind;
    in.position = position;
    in.meldMark = meldMark;
    in.faceUp = faceUp;
    in.tile = tile;
    in.meldSource = meldSource;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (auto* frame =
            app != nullptr ? dynamic_cast<CMahjongFrameView*>(app->GetFrameView()) : nullptr) {
        in.shrinkOnNarrow = frame->GetTileScaleFlag() != 0;
    }
    return in;
}

void CRegionalCardSprite::UpdateWildMark() {
    auto* view = dynamic_cast<CRegionalTableView*>(GetTableView());
    CMahjongTableData* data = view != nullptr ? view->GetMahjongTableData() : nullptr;
    bool wild = false;
    if (data != nullptr && IsRealTile(tile)) {
        wild = IsWildCard(tile, data->GetWildTile(0), data->GetWildTile(1),
                          static_cast<RuleFlags>(view->GetRuleFlags())) != 0 &&
               !view->IsWildMarking();
    }
    m_bWildMark = wild ? 1 : 0;
    wildMark = m_bWildMark;
    if (!wild) {
        if (CCorvaneCanvas* mark = GetWildMark()) {
            mark->Hide();
        }
    }
}

void CRegionalCardSprite::SelectPicture() {
    UpdateWildMark();
    const TilePictureInput in = PictureInput();
    const TilePicture choice = ChooseTilePicture(in, GetCardImageIndex(tile));
    ApplyOwnTileAlpha(position == 3 && !IsFaceDown());
    if (!choice.keep) {
        SetFacePicture(choice.key, choice.frame);
    }
    if (m_bWildMark != 0) {
        if (CCorvaneCanvas* mark = GetWildMark()) {
            mark->Show();
            mark->Invalidate();
        }
    }
    CCorvanePicture* face = GetFace();
    if (face != nullptr && choice.scaleChanges) {
        scale = choice.scale;
        const int w = static_cast<int>(face->GetWidth());
        const int h = static_cast<int>(face->GetHeight());
        face->SetSize(w * choice.sizeNum / choice.sizeDen, h * choice.sizeNum / choice.sizeDen);
    }
    if (face != nullptr) {
        face->AddFlags(kFaceFlag);
        face->Invalidate();
    }
}

void CRegionalCardSprite::PlaceShadow(int faceFrameHeight) {
    CCorvaneCanvas* shadow = GetShadow();
    CCorvanePicture* face = GetFace();
    if (shadow == nullptr || face == nullptr) {
        return;
    }
    const FrameRecord frame = GetResourceFrame(kShadowImage, 0);
    const int width = faceFrameHeight + 4;
    const int height = 20;
    if (static_cast<int>(shadow->GetWidth()) != width ||
        static_cast<int>(shadow->GetHeight()) != height) {
        shadow->Create(width, height, kColourKey, nullptr);
    } else {
        shadow->Clear();
    }
    shadow->DrawImage(frame, 0, 0, width, height, 0.0, 1.0);
    shadow->SetSize(width, height);
    shadow->SetPos(face->GetX(), face->GetBottom() - frame.height / 2.0 + 3.0);
    shadow->Invalidate();
}
