#pragma once
// The engine's two logs, both in the program's folder:
//  - the daily engine log "Game<yyyy><mm><dd>.log", one line per EngineLog call;
//  - the run log "GameRun.log", emptied by StartRunLog at engine start.
// Every line is written with one append and ends with exactly "\r\n".
// A text longer than the line buffer (1035 bytes) is cut.

void EngineLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void StartRunLog();
void RunLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A message box "<action> 由于以下错误而失败: <system text>", caption "错误",
// error icon.
void ShowLastError(const char* action);
