#pragma once
// The regional game's connection to the game server: the mahjong layer's
// connection with the variant's requests (swap-three choice, the own draw,
// the operation requests with their ting replies, the seat-board request
// and the ready-hand throw) and its own request wrapper.
//
// Rules:
//  - Game requests (ids above 220000) sent without waiting count as sent;
//    a waited one answers 0 only when it failed. No failure line is logged.
//    Frame requests report the frame's result unchanged.
//  - A reply is copied into the caller's record only as far as it came and
//    as far as the record's form reaches (32 or 8352 bytes, 8324 for the
//    ting information); the rest of that form is zeroed, and the caller's
//    bytes beyond it are left as they were. The 0x40 flag of word 3 is read
//    only when the reply holds word 3.
//  - A request whose body would run past the caller's record, or a seat
//    that is no chair, is not sent (one log line, answer 0).
//  - Every sender clears the error text first; nothing is shown here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mahjong_client/net/MahjongConnection.h"

class CRegionalConnection : public CMahjongConnection {
public:
    using CMahjongConnection::CMahjongConnection;
    using CMahjongConnection::SendOperation;
    using CMahjongConnection::SendRequest229000;

    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override;

    // 222070 with the own chair's three tiles; waited. 0 without sending for
    // a looker-on or a seat outside 0-7; else ProcessRequest's answer.
    virtual int SendSwapThree(int32_t tile0, int32_t tile1, int32_t tile2);
    // 229000 with the caller's 96-byte body. Result 10: the reply copied into
    // `reply` (32 bytes, 8352 with ting data), 1. Result 229101: word 1 of
    // `reply` set to -1, 0. Anything else 0.
    virtual int SendRequest229000(std::string& text, std::span<const uint8_t> body,
                                  std::span<uint8_t> reply);
    // An operation request (229045, 229047, 229049) with its 64-byte record;
    // the result code goes to `result` (10100 when nothing came back), the
    // reply as for 229000 on result 10 (then 1).
    virtual int SendOperation(std::string& text, uint32_t requestId,
                              std::span<const uint8_t> record, std::span<uint8_t> reply,
                              uint32_t& result);
    // 229025 with its 64-byte body: result 10 copies the 8324-byte ting
    // information into `reply` and answers 1.
    virtual int SendRequest229025(std::string& text, uint32_t& result,
                                  std::span<const uint8_t> body, std::span<uint8_t> reply);

    // 400001, not waited: the own seat's place. Always 1.
    int SendRequest400001();
    // 400009 with the caller's record: its word 25 counts the words behind
    // the 104-byte head. 1 on result 10; 0 when the count is negative or
    // runs past the record, or the request failed.
    int SendRequest400009(std::string& text, std::span<const uint8_t> record);

    // How many bytes of a reply of this form are the caller's: 8352 when
    // the reply's word 3 has the ting flag, else 32.
    static size_t OperationReplyForm(std::span<const uint8_t> reply);
    // Copies `reply` into the first `form` bytes of `out` (as far as out
    // reaches): what came is copied, the rest of the form zeroed.
    static void CopyReply(std::span<const uint8_t> reply, size_t form, std::span<uint8_t> out);

private:
    // A waited request with a reply in the operation form; see above.
    int SendWithOperationReply(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                               std::span<uint8_t> reply, uint32_t& result);
};
