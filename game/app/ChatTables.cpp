#include "game/app/ChatTables.h"

#include <string>
#include <vector>

#include "frame/panels/EmoticonPanel.h"

namespace {

constexpr char kCodeMark = '#';
constexpr size_t kCodeBytes = 5;
constexpr char kPicturePrefix[] = "kof";

}  // namespace

const std::array<const char*, kEmoticonCodeCount> g_EmoticonCodes = {
    "#嗯哈", "#白眼", "#坏笑", "#抽烟", "#呲牙", "#大哭", "#调皮", "#发怒", "#飞吻", "#流汗",
    "#惊吓", "#囧囧", "#耍酷", "#犯困", "#鼻血", "#拍砖", "#爱钱", "#好色", "#好衰", "#呕吐",
    "#微笑", "#委屈", "#疑问", "#头晕", "#再见", "#安静", "#鄙视", "#害羞", "#魂魄", "#加油",
    "#抠鼻", "#佩服", "#睡觉", "#捂耳", "#邪恶", "#不行", "#好的", "#爱心", "#安慰", "#抱歉",
    "#闭嘴", "#便便", "#财神", "#打牌", "#大兵", "#呆住", "#电话", "#凋谢", "#恭喜", "#鼓掌",
    "#胡牌", "#饥饿", "#惊愕", "#礼物", "#没钱", "#玫瑰", "#敲打", "#庆祝", "#弱小", "#生病",
    "#生气", "#胜利", "#时间", "#太阳", "#偷笑", "#投降", "#握手", "#无聊", "#无奈", "#羡慕",
    "#心碎", "#摇头", "#有钱", "#月亮", "#炸弹", "#咒骂", "#猪头",
};

const std::array<const char*, kVoicePhraseCount> g_VoicePhrases = {
    "等一哈，我地钱落进克打！",
    "哈没有赢，桌子板凳赢打吧之爸是。",
    "快滴咔得，你逮地安胎吧？",
    "癞子多，被黑摸，手气背，起对对。",
    "请叫我黑摸警长，快跳得，把你溜打他地。",
    "四个炸死你站倒！蹦一个，敲上蹦，停你地电！",
    "我们再摸打换位置哒，我这位置好霉啊！",
    "我只有12张牌，小相公。",
    "这多癞子你都不飘撒，你怕毛啊！",
};

namespace {

// The side panel's emoticon table learns the codes before main.
const bool g_EmoticonCodesRegistered = [] {
    RegisterEmoticonCodes(std::vector<std::string>(g_EmoticonCodes.begin(), g_EmoticonCodes.end()));
    return true;
}();

}  // namespace

const char* GetEmoticonCode(int index) {
    return index >= 0 && size_t(index) < g_EmoticonCodes.size() ? g_EmoticonCodes[size_t(index)]
                                                                : nullptr;
}

const char* GetVoicePhrase(int index) {
    return index >= 0 && size_t(index) < g_VoicePhrases.size() ? g_VoicePhrases[size_t(index)]
                                                               : nullptr;
}

int FindEmoticonCodeAt(std::string_view text) {
    if (text.size() < kCodeBytes || text[0] != kCodeMark) {
        return -1;
    }
    for (size_t i = 0; i < g_EmoticonCodes.size(); ++i) {
        if (text.substr(0, kCodeBytes) == g_EmoticonCodes[i]) {
            return int(i);
        }
    }
    return -1;
}

std::string EmoticonPictureName(std::string_view code) {
    if (code.size() != kCodeBytes || FindEmoticonCodeAt(code) < 0) {
        return {};
    }
    return kPicturePrefix + std::string(code.substr(1));
}
