// The main dialog driven like a user through the scripted window system: the input is
// the file chosen in Browse; every sprite and every frame is shown, then a confirmed
// Quick Patch and a Save. A save that says it worked must have written exactly the patch;
// one that says it failed must have left the file as it was.
#include <map>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "doubles/scripted_window_system.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

namespace palvane_fuzz {

namespace {

constexpr unsigned long kMaxShownPixels = 1u << 16;  // see sprite.cc

// What the file says about one sprite: its data when it does not decode, else its
// decoded fields with the frames' palette IDs set to what a patch would give them.
struct SpriteImage {
    bool decoded = false;
    std::vector<BYTE> data;
    DWORD paletteId = 0;
    std::vector<std::vector<BYTE>> frames;  // header fields and stream, palette ID masked

    bool operator==(const SpriteImage& o) const {
        return decoded == o.decoded && data == o.data && paletteId == o.paletteId &&
               frames == o.frames;
    }
};

std::map<WORD, SpriteImage> Sprites(CIffFile& iff, bool patched) {
    std::map<WORD, SpriteImage> out;
    CSpr2 sprite;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos;) {
        CIffChunk* chunk = iff.GetNextByIdOfType(pos);
        FUZZ_CHECK(chunk != nullptr);
        SpriteImage& image = out[chunk->m_wID];
        if (!sprite.Attach(&iff, chunk)) {
            if (chunk->IsLoaded())
                image.data.assign(chunk->m_pData.get(), chunk->m_pData.get() + chunk->m_dwSize);
            continue;
        }
        image.decoded = true;
        image.paletteId = sprite.GetHeader()->dwPaletteId;
        for (const Spr2FrameInfo& f : sprite.m_frames) {
            const WORD palette = patched ? INVALID_PALETTE_ID : f.wPaletteId;
            std::vector<BYTE> bytes = {
                BYTE(f.wWidth),        BYTE(f.wWidth >> 8),   BYTE(f.wHeight),
                BYTE(f.wHeight >> 8),  BYTE(f.dwFlags),       BYTE(f.dwFlags >> 8),
                BYTE(f.dwFlags >> 16), BYTE(f.dwFlags >> 24), BYTE(palette),
                BYTE(palette >> 8),    BYTE(f.wField10),      BYTE(f.wField10 >> 8),
                BYTE(f.wField12),      BYTE(f.wField12 >> 8), BYTE(f.wField14),
                BYTE(f.wField14 >> 8)};
            bytes.insert(bytes.end(), f.pData, f.pData + f.dwDataSize);
            image.frames.push_back(std::move(bytes));
        }
    }
    return out;
}

bool Shown(const doubles::ScriptedWindowSystem& ws, const std::string& text) {
    for (const auto& box : ws.MessageBoxes())
        if (box.text == text) return true;
    return false;
}

void ShowEverySpriteAndFrame(CPatchDlg& dlg) {
    for (int s = 0; s < dlg.m_lbSprites.GetCount(); ++s) {
        dlg.m_lbSprites.UserSelect(s);
        for (int f = 0; f < dlg.m_cbFrame.GetCount(); ++f) {
            Spr2FrameInfo info{};
            const int frame = static_cast<int>(dlg.m_cbFrame.GetItemData(f));
            if (dlg.m_sprite.GetFrameInfo(&info, frame) &&
                static_cast<unsigned long>(info.wWidth) * info.wHeight > kMaxShownPixels)
                continue;
            dlg.m_cbFrame.UserSelect(f);
        }
    }
}

}  // namespace

int DialogOneInput(const uint8_t* data, size_t size) {
    static ScratchFile file("dialog"), check("check");
    static CIffFile reader;
    const std::vector<uint8_t> input(data, data + size);

    // What the patch should make of the sprites, from the file as the dialog will see it.
    std::map<WORD, SpriteImage> expected;
    bool loads = LoadThroughFile(reader, file, data, size) && reader.LoadAllChunkData();
    if (loads) expected = Sprites(reader, true);
    reader.Reset();

    std::string saveMessage;
    {
        doubles::ScriptedWindowSystem ws;
        CPatchDlg dlg;
        FUZZ_CHECK(dlg.Create());
        ws.ChooseFileAnswer(file.Path());
        static_cast<CButton*>(dlg.GetDlgItem(IDC_BROWSE))->UserClick();
        if (Shown(ws, "Unable to open file as an IFF file!") || Shown(ws, "Unable to open file!"))
            return 0;
        ShowEverySpriteAndFrame(dlg);
        ws.AnswerMessageBox(IDYES);
        dlg.m_btnQuickPatch.UserClick();
        FUZZ_CHECK(ws.UnansweredQuestions() == 0);
        ws.ClearMessageBoxes();
        dlg.m_btnSave.UserClick();
        FUZZ_CHECK(ws.MessageBoxes().size() == 1);
        saveMessage = ws.MessageBoxes().front().text;
    }

    if (saveMessage == "Error while saving this file!") {
        FUZZ_CHECK(!loads);  // only chunk data that cannot be read stops a save here
        FUZZ_CHECK(file.Read() == input);
        return 0;
    }
    FUZZ_CHECK(saveMessage == "File saved!");
    FUZZ_CHECK(loads);
    const std::vector<uint8_t> saved = file.Read();
    FUZZ_CHECK(LoadThroughFile(reader, check, saved.data(), saved.size()));
    FUZZ_CHECK(Sprites(reader, false) == expected);
    reader.Reset();
    return 0;
}

}  // namespace palvane_fuzz
