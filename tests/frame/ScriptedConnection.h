#pragma once
// A game connection for unit tests: it answers from a script, records every
// call as a line of text and never touches the network. Successful enter
// and match-login answers call the application as the real senders do, so
// start-up code sees the same effects.

#include <string>
#include <vector>

#include "frame/GameFrameApp.h"
#include "frame/net/GameConnection.h"
#include "tests/frame/CallLog.h"

class ScriptedConnection : public CGameConnection {
public:
    struct Script {
        int connect = 1;
        int proxyFailed = 0;
        std::string proxyHost = "127.0.0.1";
        uint32_t connectionId = 1;
        int checkVersion = 1;
        std::string versionText;
        int32_t newVersion = 0;
        int32_t newSubVersion = 0;
        int activeConfig = 1;
        int enter = 1;  // 1: entered (210200)
        int matchLogin = 1;
        std::string enterText;
        int queryInGame = 0;
        int leaveGame = 0;
        std::string leaveText;
        int send = 1;  // the requests sent without waiting
    };

    void SetupTransform() override { Record("SetupTransform"); }
    int Close() override {
        Record("Close");
        connected_ = false;
        return 1;
    }
    int ConnectServer(const char* name, const char* host, int port, int& proxyFailed) override {
        Record("ConnectServer " + std::string(name) + " " + host + " " + std::to_string(port));
        proxyFailed = script.proxyFailed;
        connected_ = script.connect != 0;
        return script.connect;
    }
    std::string GetProxyHost() override { return script.proxyHost; }
    void SetNotifyThread(platform::ThreadId threadId) override {
        Record("SetNotifyThread " + std::to_string(threadId));
    }
    void ReadProxySettings(const char* iniPath) override {
        Record("ReadProxySettings " + std::string(iniPath));
    }
    uint32_t GetConnectionId() const override { return connected_ ? script.connectionId : 0; }
    int QueryInGame() override {
        Record("QueryInGame");
        return script.queryInGame;
    }
    int CheckVersion(std::string& text, int32_t& newVersion, int32_t& newSubVersion) override {
        Record("CheckVersion");
        if (script.checkVersion == 0) {
            text = script.versionText;
            newVersion = script.newVersion;
            newSubVersion = script.newSubVersion;
        }
        return script.checkVersion;
    }
    int GetActiveConfig() override {
        Record("GetActiveConfig");
        return script.activeConfig;
    }
    int MatchLogin(std::string& text) override {
        Record("MatchLogin");
        if (script.matchLogin == 0) {
            text = script.enterText;
        }
        return script.matchLogin;
    }
    int EnterGame(std::string& text) override {
        Record("EnterGame");
        if (script.enter == 0) {
            text = script.enterText;
            return 0;
        }
        if (CGameFrameApp* app = GetApp()) {
            app->SetEnterState(0);
            app->OnUserInfoChanged();
        }
        return 1;
    }
    int LeaveTable(int32_t userId, int32_t chairNo) override {
        Record("LeaveTable " + std::to_string(userId) + " " + std::to_string(chairNo));
        return script.send;
    }
    int LeaveGame(std::string& text, int32_t userId, int32_t chairNo) override {
        Record("LeaveGame " + std::to_string(userId) + " " + std::to_string(chairNo));
        text = script.leaveText;
        return script.leaveGame;
    }
    int RequestExit(std::string_view reason) override {
        Record("RequestExit " + std::string(reason));
        return script.send;
    }
    int AnswerExitRequest(int32_t a, int32_t b) override {
        Record("AnswerExitRequest " + std::to_string(a) + " " + std::to_string(b));
        return script.send;
    }
    int MatchSignUp() override {
        Record("MatchSignUp");
        return script.send;
    }
    int MatchGiveUp() override {
        Record("MatchGiveUp");
        return script.send;
    }
    int Request201221() override {
        Record("Request201221");
        return script.send;
    }
    int ReportNetStats() override {
        Record("ReportNetStats");
        return script.send;
    }
    int ReportNotifyFailure(int32_t id, const void*, size_t length) override {
        Record("ReportNotifyFailure " + std::to_string(id) + " " + std::to_string(length));
        return script.send;
    }

    void Record(std::string call) { calls.push_back(std::move(call)); }
    int Count(const std::string& prefix) const { return CountCalls(calls, prefix); }

    Script script;
    std::vector<std::string> calls;

private:
    bool connected_ = false;
};
