#include "tools/fake_hall/FakeHall.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>

#include "frame/FrameFunctions.h"
#include "frame/GameRecords.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "tools/test_server/TableRobots.h"

namespace fakehall {

namespace {

constexpr char kHallWindowClass[] = "GameHallFrame";
constexpr uint32_t kSendTimeoutMs = 5000;
constexpr uint32_t kCipherBlock = 16;
constexpr uint32_t kPlayerLeftBytes = 16;
constexpr uint32_t kNoActionBytes = 16;
// Thread messages of the hall's own loop.
constexpr uint32_t kMsgStop = platform::kMsgApp + 1;
constexpr uint32_t kMsgVanishNow = platform::kMsgApp + 2;

std::optional<int64_t> ParseNumber(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < INT32_MIN ||
        value > UINT32_MAX) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

// Takes the numbers of the arguments in order; false when one is missing or
// no number.
bool TakeNumbers(const std::vector<std::string_view>& parts, size_t first,
                 std::initializer_list<int32_t*> outs) {
    size_t i = first;
    for (int32_t* out : outs) {
        const auto value = i < parts.size() ? ParseNumber(parts[i]) : std::nullopt;
        if (!value) {
            return false;
        }
        *out = static_cast<int32_t>(*value);
        ++i;
    }
    return true;
}

template <class Record>
std::vector<uint8_t> Bytes(const Record& record) {
    const auto bytes = RecordBytes(record);
    return {bytes.begin(), bytes.end()};
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += static_cast<uint8_t>(c) < 0x20 ? '?' : c;
    }
    return out + "\"";
}

std::string Format(const char* format, auto... values) {
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

// The client reads it from the folder of the hall's "ExePath".
std::string HallProxySettingsFile() {
    return GetHallPath() + "GameHall.ini";
}

bool WriteProxySettings(const HallProxy& proxy) {
    const std::string file = HallProxySettingsFile();
    const std::pair<const char*, std::string> values[] = {
        {"Need", "1"},        {"Sock", std::to_string(proxy.sock)},
        {"Host", proxy.host}, {"Port", std::to_string(proxy.port)},
        {"User", proxy.user}, {"pwd", proxy.password}};
    bool written = true;
    for (const auto& [key, value] : values) {
        written = platform::WritePrivateProfileString("PROXY", key, value.c_str(), file.c_str()) &&
                  written;
    }
    return written;
}

}  // namespace

std::optional<ScriptStep> ParseScriptStep(const std::string& text) {
    const std::vector<std::string_view> pieces = Split(text, ',');
    const std::vector<std::string_view> parts = Split(pieces[0], ':');
    ScriptStep step;
    const auto delay = ParseNumber(parts[0]);
    if (!delay || *delay < 0 || parts.size() < 2) {
        return std::nullopt;
    }
    step.delayMs = static_cast<uint32_t>(*delay);
    const std::string_view kind = parts[1];
    size_t used = 2;
    if (kind == "4" || kind == "7") {
        step.kind = kind == "4" ? ScriptStep::Kind::AddLooker : ScriptStep::Kind::ShowPlayer;
        if (!TakeNumbers(parts, 2, {&step.userId, &step.chairNo})) {
            return std::nullopt;
        }
        used = 4;
        if (parts.size() > used) {
            step.name = std::string(parts[used++]);
        }
    } else if (kind == "6") {
        step.kind = ScriptStep::Kind::PlayerLeft;
        if (!TakeNumbers(parts, 2, {&step.userId, &step.tableNo, &step.chairNo})) {
            return std::nullopt;
        }
        used = 5;
        if (parts.size() > used && !TakeNumbers(parts, used++, {&step.hallWindow})) {
            return std::nullopt;
        }
    } else if (kind == "13") {
        step.kind = ScriptStep::Kind::NoAction;
    } else if (kind == "vanish") {
        step.kind = ScriptStep::Kind::Vanish;
    } else {
        return std::nullopt;
    }
    if (parts.size() != used) {
        return std::nullopt;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        const size_t equals = pieces[i].find('=');
        const auto value = equals == std::string_view::npos
                               ? std::nullopt
                               : ParseNumber(pieces[i].substr(equals + 1));
        if (!value || *value < 0) {
            return std::nullopt;
        }
        const std::string_view key = pieces[i].substr(0, equals);
        if (key == "cut") {
            step.plainBytes = static_cast<uint32_t>(*value);
        } else if (key == "send") {
            step.sentBytes = static_cast<uint32_t>(*value);
        } else {
            return std::nullopt;
        }
    }
    return step;
}

LaunchRecordBuilder MakeTableLaunchRecord(const LaunchFields& launch, int players, bool robots) {
    LaunchRecordBuilder builder;
    builder.room.roomId = launch.hallRoomId;
    builder.room.hallId = 7;
    builder.room.options = launch.roomOptions;
    builder.room.flags = launch.roomFlags;
    builder.room.flags2 = launch.roomFlags2;
    SetFieldText(builder.room.areaName, "测试区");
    SetFieldText(builder.room.roomName, "测试房间");
    SetFieldText(builder.room.noticeHost, launch.serverHost);
    SetFieldText(builder.room.advertHost, launch.serverHost);
    builder.table.tableNo = launch.tableNo;
    for (int chair = 0; chair < players; ++chair) {
        if (launch.lookOn == 0 && chair == launch.chairNo) {
            UserRecord own = MakeLaunchUser(launch.userId, chair, "自己");
            own.silver = robots ? testserver::kHumanStartSilver : 0;
            builder.seats.push_back(own);
        } else if (robots) {
            UserRecord robot = MakeLaunchUser(testserver::kRobotUserBase + chair, chair,
                                              testserver::RobotName(chair, launch.chairNo));
            robot.silver = testserver::kRobotStartSilver;
            robot.score = testserver::kRobotStartScore;
            builder.seats.push_back(robot);
        } else {
            builder.seats.push_back(
                MakeLaunchUser(launch.userId + 100 + chair, chair, "玩家" + std::to_string(chair)));
        }
    }
    if (launch.lookOn != 0) {
        builder.lookers.push_back(MakeLaunchUser(launch.userId, launch.chairNo, "自己", 1));
    }
    return builder;
}

std::optional<HallProxy> ParseHallProxy(const std::string& text) {
    // The password is the rest of the text: it may hold ':'.
    std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() > 5) {
        const size_t user =
            parts[0].size() + parts[1].size() + parts[2].size() + parts[3].size() + 4;
        parts.resize(5);
        parts[4] = std::string_view(text).substr(user);
    }
    if (parts.size() < 3 || parts[1].empty()) {
        return std::nullopt;
    }
    HallProxy proxy;
    if (parts[0] == "socks4") {
        proxy.sock = 1;
    } else if (parts[0] == "socks5") {
        proxy.sock = 3;
    } else if (parts[0] == "http") {
        proxy.sock = 4;
    } else {
        return std::nullopt;
    }
    const auto port = ParseNumber(parts[2]);
    if (!port || *port < 1 || *port > 65535) {
        return std::nullopt;
    }
    proxy.host = std::string(parts[1]);
    proxy.port = *port;
    if (parts.size() > 3) {
        proxy.user = std::string(parts[3]);
    }
    if (parts.size() > 4) {
        proxy.password = std::string(parts[4]);
    }
    return proxy;
}

std::string HallEvent::Describe() const {
    const auto window = static_cast<unsigned>(wParam);
    switch (kind) {
        case Kind::Registered:
            return Format(message == kMsgRegisterMatch ? "register-match window=%u user=%ld"
                                                       : "register window=%u table=%ld",
                          window, static_cast<long>(lParam));
        case Kind::LaunchSent:
            return Format("launch-sent window=%u bytes=%zu delivered=%d", window, bytes.size(),
                          delivered ? 1 : 0);
        case Kind::SignQuery:
            return Format("sign-query window=%u token=%ld delivered=%d", window,
                          static_cast<long>(lParam), delivered ? 1 : 0);
        case Kind::TableNotice:
            return Format("table-notice wparam=%u lparam=%ld", window, static_cast<long>(lParam));
        case Kind::PlayerDetails:
            return Format("player-details window=%u user=%ld delivered=%d", window,
                          static_cast<long>(lParam), delivered ? 1 : 0);
        case Kind::WebCommand:
            return Format(message == kMsgChangeClothing ? "change-clothing user=%u lparam=%ld"
                                                        : "become-member user=%u lparam=%ld",
                          window, static_cast<long>(lParam));
        case Kind::Leave:
            return Format(
                "leave data=%u window=%d user=%d table=%d chair=%d version=%d subversion=%d "
                "lookon=%d disconnected=%d game=%d room=%d",
                message, leave->gameWindow, leave->userId, leave->tableNo, leave->chairNo,
                leave->requiredVersion, leave->requiredSubVersion, leave->lookOn,
                leave->disconnectedInGame, leave->gameId, leave->roomId);
        case Kind::OpenUrl:
            return Format("open-url window=%d user=%d game=%d room=%d flag=%d url=",
                          url->mainWindow, url->userId, url->gameId, url->hallRoomId, url->flag) +
                   Quote(FieldText(url->url));
        case Kind::SwitchRoom:
            return Format("switch-room mode=%d user=%d game=%d room=%d table=%d chair=%d target=%d",
                          roomSwitch->listMode, roomSwitch->userId, roomSwitch->gameId,
                          roomSwitch->hallRoomId, roomSwitch->tableNo, roomSwitch->chairNo,
                          roomSwitch->targetRoomId);
        case Kind::Refused:
            return Format("refused data=%u window=%u bytes=%zu", message, window, bytes.size());
        case Kind::StepSent:
            return Format("step-sent data=%u bytes=%zu delivered=%d", message, bytes.size(),
                          delivered ? 1 : 0);
        case Kind::Vanished:
            return "vanished";
    }
    return "?";
}

// The hall's main window: hands what arrives to the hall.
class FakeHall::HallWindow : public platform::Window {
public:
    explicit HallWindow(FakeHall& hall) : hall_(hall) {}
    ~HallWindow() override { Destroy(); }

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == platform::kMsgCopyData && lParam != 0) {
            return hall_.OnCopyData(wParam,
                                    *reinterpret_cast<const platform::CopyDataRecord*>(lParam));
        }
        if (id == kMsgRegisterGame || id == kMsgRegisterMatch || id == kMsgSignQuery ||
            id == kMsgTableNotice || id == kMsgPlayerDetails || id == kMsgChangeClothing ||
            id == kMsgBecomeMember) {
            hall_.OnPost(id, wParam, lParam);
            return 0;
        }
        return platform::Window::WindowProc(id, wParam, lParam);
    }

private:
    FakeHall& hall_;
};

FakeHall::FakeHall(FakeHallOptions options) : options_(std::move(options)) {}

FakeHall::~FakeHall() {
    if (thread_.IsRunning()) {
        platform::PostThreadMessage(thread_.Id(), kMsgStop, 0, 0);
        thread_.Join(kSendTimeoutMs * 2);
    }
}

bool FakeHall::Start() {
    const std::string exePath =
        options_.exePath.empty() ? platform::ProgramFileName() : options_.exePath;
    if (!platform::WritePrivateProfileString("SYSTEM", "ExePath", exePath.c_str(),
                                             GetHallSettingsFile().c_str())) {
        std::fprintf(stderr, "fake hall: cannot write ExePath into %s\n",
                     GetHallSettingsFile().c_str());
    }
    // The hall keeps each player's own settings in its folder, one file per
    // user under "users" (the client writes them there).
    const std::string hallFolder = GetHallPath();
    if (!hallFolder.empty() && !platform::MakeDirectory(hallFolder + "users")) {
        std::fprintf(stderr, "fake hall: cannot make the folder %susers\n", hallFolder.c_str());
    }
    if (options_.proxy && !WriteProxySettings(*options_.proxy)) {
        std::fprintf(stderr, "fake hall: cannot write the proxy into %s\n",
                     HallProxySettingsFile().c_str());
    }
    platform::Event ready(platform::Event::Mode::ManualReset);
    if (!thread_.StartWithQueue([this, &ready] { RunThread(ready); })) {
        return false;
    }
    ready.Wait();
    return window_ != 0;
}

void FakeHall::RunThread(platform::Event& ready) {
    platform::RegisterWindowClass(kHallWindowClass);
    hallWindow_ = std::make_unique<HallWindow>(*this);
    const platform::WindowExportOptions exportOptions{
        true,
        {kMsgRegisterGame, kMsgRegisterMatch, kMsgSignQuery, kMsgTableNotice, kMsgPlayerDetails,
         kMsgChangeClothing, kMsgBecomeMember}};
    if (!hallWindow_->Create(kHallWindowClass) ||
        !platform::ExportWindow(hallWindow_->Id(), exportOptions)) {
        hallWindow_.reset();
        ready.Set();
        return;
    }
    window_ = hallWindow_->Id();
    ready.Set();
    platform::Message message;
    while (platform::GetMessage(message)) {
        if (message.window == 0 && message.id == kMsgStop) {
            break;
        }
        if (message.window == 0 && message.id == kMsgVanishNow) {
            DestroyWindowOnHallThread();
        } else if (message.window == 0 && message.id == platform::kMsgTimer &&
                   message.wParam == scriptTimer_) {
            OnScriptTimer();
        } else {
            platform::DispatchMessage(message);
        }
    }
    if (scriptTimer_ != 0) {
        platform::KillTimer(0, scriptTimer_);
    }
    DestroyWindowOnHallThread();
    hallWindow_.reset();
}

LaunchFields FakeHall::Launch() const {
    LaunchFields fields = options_.launch;
    fields.hallWindow = static_cast<int32_t>(window_);
    return fields;
}

std::string FakeHall::LaunchLine() const {
    return FormatLaunchLine(Launch());
}

platform::ProcessId FakeHall::StartClient(const std::string& program) {
    return platform::StartProgram(program, {LaunchLine()});
}

platform::WindowId FakeHall::ClientWindow() const {
    std::lock_guard<std::mutex> guard(lock_);
    return clientWindow_;
}

void FakeHall::OnPost(uint32_t id, platform::WParam wParam, platform::LParam lParam) {
    HallEvent event;
    event.message = id;
    event.wParam = wParam;
    event.lParam = lParam;
    if (id == kMsgRegisterGame || id == kMsgRegisterMatch) {
        event.kind = HallEvent::Kind::Registered;
        {
            std::lock_guard<std::mutex> guard(lock_);
            clientWindow_ = static_cast<platform::WindowId>(wParam);
        }
        Record(std::move(event));
        SendLaunchRecord(static_cast<platform::WindowId>(wParam), id == kMsgRegisterMatch);
    } else if (id == kMsgSignQuery) {
        AnswerSignQuery(static_cast<platform::WindowId>(wParam), lParam);
    } else if (id == kMsgPlayerDetails) {
        AnswerPlayerDetails(static_cast<platform::WindowId>(wParam), lParam);
    } else if (id == kMsgChangeClothing || id == kMsgBecomeMember) {
        event.kind = HallEvent::Kind::WebCommand;
        Record(std::move(event));
    } else {
        event.kind = HallEvent::Kind::TableNotice;
        Record(std::move(event));
    }
}

void FakeHall::SendLaunchRecord(platform::WindowId client, bool match) {
    const std::vector<uint8_t> record = match ? options_.launchRecord.BuildMatch(options_.matchName)
                                              : options_.launchRecord.Build();
    HallEvent event;
    event.kind = HallEvent::Kind::LaunchSent;
    event.message = kHallDataLaunch;
    event.wParam = client;
    event.delivered = SendRecord(client, kHallDataLaunch, record, nullptr);
    event.bytes = record;
    const bool delivered = event.delivered;
    Record(std::move(event));
    if (delivered && !scriptStarted_) {
        scriptStarted_ = true;
        ScheduleNextStep();
    }
}

void FakeHall::AnswerSignQuery(platform::WindowId answerWindow, platform::LParam token) {
    HallSignAnswer answer;
    answer.userId = options_.launch.userId;
    answer.token = static_cast<int32_t>(token);
    SetFieldText(answer.text, options_.signText);
    HallEvent event;
    event.kind = HallEvent::Kind::SignQuery;
    event.message = kMsgSignQuery;
    event.wParam = answerWindow;
    event.lParam = token;
    event.bytes = Bytes(answer);
    event.delivered = SendRecord(answerWindow, kHallDataSignAnswer, event.bytes, nullptr);
    Record(std::move(event));
}

// The user's record as the launch knows it (a seat or a looker-on), else a
// record of that user alone.
void FakeHall::AnswerPlayerDetails(platform::WindowId client, platform::LParam userId) {
    const auto id = static_cast<int32_t>(userId);
    std::optional<UserRecord> user;
    for (const auto* users : {&options_.launchRecord.seats, &options_.launchRecord.lookers}) {
        for (const UserRecord& known : *users) {
            if (known.userId == id && !user) {
                user = known;
            }
        }
    }
    if (!user) {
        user = MakeLaunchUser(id, -1, "player" + std::to_string(id));
        user->tableNo = options_.launch.tableNo;
    }
    HallEvent event;
    event.kind = HallEvent::Kind::PlayerDetails;
    event.message = kMsgPlayerDetails;
    event.wParam = client;
    event.lParam = userId;
    event.bytes = Bytes(*user);
    event.delivered = SendRecord(client, kHallDataShowPlayer, event.bytes, nullptr);
    Record(std::move(event));
}

void FakeHall::ScheduleNextStep() {
    if (nextStep_ >= options_.script.size()) {
        return;
    }
    scriptTimer_ =
        platform::SetTimer(0, scriptTimer_, std::max(options_.script[nextStep_].delayMs, 1u));
}

void FakeHall::OnScriptTimer() {
    platform::KillTimer(0, scriptTimer_);
    scriptTimer_ = 0;
    if (nextStep_ < options_.script.size()) {
        RunStep(options_.script[nextStep_++]);
    }
    ScheduleNextStep();
}

bool FakeHall::RunStep(const ScriptStep& step) {
    if (step.kind == ScriptStep::Kind::Vanish) {
        Vanish();
        return true;
    }
    std::vector<uint8_t> plain;
    uintptr_t dwData = kHallDataNoAction;
    switch (step.kind) {
        case ScriptStep::Kind::AddLooker:
        case ScriptStep::Kind::ShowPlayer: {
            UserRecord user = MakeLaunchUser(step.userId, step.chairNo, step.name,
                                             step.kind == ScriptStep::Kind::AddLooker ? 1 : 0);
            user.tableNo = options_.launch.tableNo;
            plain = Bytes(user);
            dwData =
                step.kind == ScriptStep::Kind::AddLooker ? kHallDataAddLooker : kHallDataShowPlayer;
            break;
        }
        case ScriptStep::Kind::PlayerLeft: {
            plain.resize(kPlayerLeftBytes);
            const int32_t words[4] = {
                step.hallWindow != 0 ? step.hallWindow : static_cast<int32_t>(window_), step.userId,
                step.tableNo >= 0 ? step.tableNo : options_.launch.tableNo, step.chairNo};
            ZepWireWriter writer(plain);
            for (const int32_t word : words) {
                writer.WriteI32(word);
            }
            dwData = kHallDataPlayerLeft;
            break;
        }
        default:
            plain.resize(kNoActionBytes);
            break;
    }
    HallEvent event;
    event.kind = HallEvent::Kind::StepSent;
    event.message = static_cast<uint32_t>(dwData);
    event.wParam = ClientWindow();
    event.delivered = SendRecord(ClientWindow(), dwData, plain, &step);
    event.bytes = std::move(plain);
    const bool delivered = event.delivered;
    Record(std::move(event));
    return delivered;
}

bool FakeHall::SendRecord(platform::WindowId target, uintptr_t dwData,
                          std::span<const uint8_t> plain, const ScriptStep* faults) {
    if (target == 0) {
        return false;
    }
    if (faults != nullptr && faults->plainBytes) {
        plain = plain.first(std::min<size_t>(plain.size(), *faults->plainBytes));
    }
    std::vector<uint8_t> enciphered = EncipherHallRecord(plain);
    // Whole blocks: a record of whole blocks goes at its own length.
    size_t sent = plain.size() % kCipherBlock == 0 ? plain.size() : enciphered.size();
    if (faults != nullptr && faults->sentBytes) {
        sent = *faults->sentBytes;
    }
    enciphered.resize(std::max(sent, enciphered.size()), 0);
    platform::CopyDataRecord record;
    record.dwData = dwData;
    record.cbData = static_cast<uint32_t>(sent);
    record.lpData = enciphered.data();
    platform::LResult result = 0;
    return platform::SendMessageTimeout(target, platform::kMsgCopyData, window_,
                                        reinterpret_cast<platform::LParam>(&record), kSendTimeoutMs,
                                        &result);
}

platform::LResult FakeHall::OnCopyData(platform::WParam sender,
                                       const platform::CopyDataRecord& record) {
    const auto* data = static_cast<const uint8_t*>(record.lpData);
    const std::span<const uint8_t> bytes(data, data != nullptr ? record.cbData : 0);
    HallEvent event;
    event.message = static_cast<uint32_t>(record.dwData);
    event.wParam = sender;
    event.kind = HallEvent::Kind::Refused;
    if (record.dwData == kHallDataLeave || record.dwData == kHallDataLeaveDisconnected) {
        HallLeaveRecord leave;
        if (bytes.size() == HallLeaveRecord::kSize && ReadRecord(bytes, leave)) {
            event.kind = HallEvent::Kind::Leave;
            event.leave = leave;
        }
        event.bytes.assign(bytes.begin(), bytes.end());
    } else if (record.dwData == kHallDataOpenUrl || record.dwData == kHallDataSwitchRoom) {
        const auto plain = DecipherHallRecord(bytes);
        if (plain) {
            event.bytes = *plain;
        } else {
            event.bytes.assign(bytes.begin(), bytes.end());
        }
        HallUrlRecord url;
        HallRoomSwitchRecord roomSwitch;
        if (record.dwData == kHallDataOpenUrl && plain && plain->size() == HallUrlRecord::kSize &&
            ReadRecord(std::span<const uint8_t>(*plain), url)) {
            event.kind = HallEvent::Kind::OpenUrl;
            event.url = url;
        } else if (record.dwData == kHallDataSwitchRoom && plain &&
                   plain->size() == HallRoomSwitchRecord::kSize &&
                   ReadRecord(std::span<const uint8_t>(*plain), roomSwitch)) {
            event.kind = HallEvent::Kind::SwitchRoom;
            event.roomSwitch = roomSwitch;
        }
    } else {
        event.bytes.assign(bytes.begin(), bytes.end());
    }
    const bool accepted = event.kind != HallEvent::Kind::Refused;
    Record(std::move(event));
    return accepted ? 1 : 0;
}

void FakeHall::Vanish() {
    if (!thread_.IsRunning()) {
        return;
    }
    if (platform::CurrentThreadId() == thread_.Id()) {
        DestroyWindowOnHallThread();
        return;
    }
    platform::PostThreadMessage(thread_.Id(), kMsgVanishNow, 0, 0);
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::milliseconds(kSendTimeoutMs),
                      [this] { return vanished_; });
}

void FakeHall::DestroyWindowOnHallThread() {
    if (!hallWindow_ || hallWindow_->Id() == 0) {
        return;
    }
    hallWindow_->Destroy();
    {
        std::lock_guard<std::mutex> guard(lock_);
        vanished_ = true;
    }
    HallEvent event;
    event.kind = HallEvent::Kind::Vanished;
    Record(std::move(event));
}

void FakeHall::Record(HallEvent event) {
    std::function<void(const HallEvent&)> sink;
    {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(event);
        sink = sink_;
    }
    changed_.notify_all();
    if (sink) {
        sink(event);
    }
}

std::vector<HallEvent> FakeHall::Events() const {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
}

std::optional<HallEvent> FakeHall::WaitForEvent(HallEvent::Kind kind, uint32_t timeoutMs,
                                                int count) {
    std::unique_lock<std::mutex> guard(lock_);
    std::optional<HallEvent> found;
    changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        int seen = 0;
        for (const HallEvent& event : events_) {
            if (event.kind == kind && ++seen == count) {
                found = event;
                return true;
            }
        }
        return false;
    });
    return found;
}

void FakeHall::SetEventSink(std::function<void(const HallEvent&)> sink) {
    std::lock_guard<std::mutex> guard(lock_);
    sink_ = std::move(sink);
}

}  // namespace fakehall
