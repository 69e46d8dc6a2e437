// Writes the generated seeds of the fuzz corpora (the pictures, packs and
// streams that are easier to build than to type) into corpus/<target>/ under
// the folder given. Run it after changing a format's writer and commit what
// changes; the hand-written seeds and the reproducers beside them stay.
//
//   fuzz_make_corpus tests/fuzz/corpus

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ImageRecord.h"
#include "engine/PpsCodec.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/engine/MidiTestSupport.h"
#include "tests/fuzz/RegionalDispatchIds.h"
#include "tests/platform/CursorBytes.h"
#include "tests/platform/PictureBytes.h"
#include "tools/kor_pack/KorPackWriter.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepFrame.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::filesystem::path g_root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const std::filesystem::path folder = g_root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes Span(const ZepByteBuffer& buffer) {
    const std::span<const uint8_t> bytes = ZepBufferBytes(buffer);
    return Bytes(bytes.begin(), bytes.end());
}

// ---- pps pictures ---------------------------------------------------------------

void WritePps() {
    ImageRecord record;
    record.width = 6;
    record.height = 4;
    record.frameCount = 2;
    record.byteSize = size_t{6} * 4 * 4 * 2;
    record.pixels = new uint8_t[record.byteSize];
    record.ownsPixels = true;
    for (size_t i = 0; i < record.byteSize; ++i) {
        record.pixels[i] = static_cast<uint8_t>(i < 48 ? 0x40 : (i * 37) % 251);
    }
    for (const int mode : {1, 3, 4, 5, 6}) {
        size_t size = 0;
        const std::unique_ptr<uint8_t[]> file = EncodePps(record, nullptr, mode, size);
        if (file) {
            Write("pps_pictures", "mode" + std::to_string(mode) + ".pps",
                  Bytes(file.get(), file.get() + size));
        }
    }
    ReleaseImageRecord(record);
}

// ---- cursors ----------------------------------------------------------------------

void WriteCursors() {
    using namespace cursor_bytes;
    Write("cursors", "small.cur", SmallCursor(1, 2));
    const std::vector<uint32_t> values8 = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2, 0, 3, 0, 3};
    const std::vector<uint32_t> mask(16, 0);
    Write("cursors", "palette8.ico",
          IconFile(1, {{4, 4, 0, 0,
                        Dib(4, 4, 8, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, values8, mask)}}));
    std::vector<uint32_t> values32(16);
    for (size_t i = 0; i < values32.size(); ++i) {
        values32[i] = 0x80000000u | static_cast<uint32_t>(i * 0x0F0F0F);
    }
    Write("cursors", "alpha32.cur",
          IconFile(2, {{4, 4, 3, 3, Dib(4, 4, 32, {}, values32, mask, false)}}));
    picture_bytes::Bytes samples(4 * 4 * 4, 0x7F);
    Write("cursors", "png_entry.ico",
          IconFile(1, {{4, 4, 0, 0, picture_bytes::Png(4, 4, 6, samples)}}));
    Write("cursors", "two_frames.ani", Ani({SmallCursor(0, 0), SmallCursor(3, 3)}));
}

// ---- pictures -----------------------------------------------------------------------

void WritePictures() {
    using namespace picture_bytes;
    Bytes rgb;
    for (int i = 0; i < 5 * 4; ++i) {
        rgb.insert(rgb.end(), {static_cast<uint8_t>(i * 12), 40, static_cast<uint8_t>(255 - i)});
    }
    Write("pictures", "rgb.png", Png(5, 4, 2, rgb));
    Write("pictures", "palette.gif",
          Gif(3, 2, {255, 0, 255, 10, 20, 30, 200, 100, 0},
              {Frame({0, 1, 2, 2, 1, 0}, 10, 0), Frame({1, 1, 1, 2, 2, 2}, 25, -1)}));
}

// ---- resource packs ------------------------------------------------------------------

void WriteKorPacks() {
    std::vector<uint8_t> image;
    std::string error;
    const std::vector<KorPackItem> items = {
        {"Logo.png", {0x89, 'P', 'N', 'G', 1, 2, 3}},
        {"Click.wav", {'R', 'I', 'F', 'F', 0, 0, 0, 0}},
        {"Table.pps", {'p', 'p', 's'}},
    };
    if (BuildKorPack(items, image, error)) {
        Write("kor_packs", "three.kor", image);
    }
    if (BuildKorPack({{"Empty.txt", {}}}, image, error)) {
        Write("kor_packs", "empty_entry.kor", image);
    }
}

// ---- MIDI files ------------------------------------------------------------------------

void WriteMidi() {
    Write("midi_files", "one_track.mid",
          MidiFile(
              96,
              {TrackWriter().Tempo(0, 400000).NoteOn(0, 0, 60).NoteOn(48, 0, 60, 0).End().Bytes()},
              0));
    Write(
        "midi_files", "two_tracks.mid",
        MidiFile(
            480,
            {TrackWriter().Tempo(0, 500000).Event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}).End().Bytes(),
             TrackWriter()
                 .Event(0, {0xC1, 5})
                 .Event(0, {0xB1, 7, 90})
                 .NoteOn(10, 1, 64)
                 .Event(20, {70, 100})  // running status
                 .Event(0, {0xF0, 0x03, 0x43, 0x12, 0xF7})
                 .NoteOn(200, 1, 64, 0)
                 .End(10)
                 .Bytes()}));
    Write("midi_files", "smpte_division.mid",
          MidiFile(0xE728, {TrackWriter().NoteOn(0, 9, 36).End(100).Bytes()}));
}

// ---- the wire ------------------------------------------------------------------------------

Bytes TransformedMessage(uint32_t code, const std::string& text, uint32_t cipher,
                         uint32_t compression) {
    ZepMessage message;
    message.SetCode(code);
    message.SetData(text.data(), static_cast<uint32_t>(text.size()));
    ZepByteBuffer bytes;
    ZepSerializeMessage(message, bytes);
    ZepTransform transform(ZepChannelKeyBlock(0), kZepChannelKeyBits, cipher, compression);
    transform.Transform(bytes, ZepTransform::kForward);
    return Span(bytes);
}

// The frames of one message cut into pieces of at most pieceSize bytes.
Bytes Frames(const Bytes& transformed, uint32_t type, uint32_t sequence, bool crc,
             uint32_t pieceSize) {
    ZepByteBuffer pieces;
    const size_t count = ZepSplitPackets(transformed, pieces, pieceSize);
    Bytes stream;
    ZepWireReader reader(ZepBufferBytes(pieces));
    for (size_t i = 0; i < count; ++i) {
        // Each frame carries the bytes of one record of the piece list.
        uint32_t length = 0;
        reader.ReadU32(length);
        Bytes piece(length);
        reader.ReadBytes(piece);
        ZepFrameHeader header;
        header.type = type;
        header.frameSequence = static_cast<uint32_t>(i + 1);
        header.messageSequence = sequence;
        header.pieceIndex = static_cast<uint32_t>(i + 1);
        header.lastPiece = i + 1 == count ? 1 : 0;
        ZepByteBuffer frame;
        ZepBuildFrame(header, piece, crc, frame);
        const Bytes bytes = Span(frame);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    return stream;
}

void WriteWire() {
    const uint32_t cipher = ZepTransform::kCipherFlag;
    const uint32_t zlib = ZepTransform::kCompressionFlag;
    const std::string text = "notice: the table is ready; 你好 " + std::string(40, 'x');
    Write("wire_transform", "plain.bin", TransformedMessage(211040, text, 0, 0));
    Write("wire_transform", "compressed.bin", TransformedMessage(211040, text, 0, zlib));
    Write("wire_transform", "ciphered.bin", TransformedMessage(229160, text, cipher, 0));
    Write("wire_transform", "both.bin", TransformedMessage(60031, text, cipher, zlib));

    const Bytes plain = TransformedMessage(211040, text, 0, 0);
    Write("wire_frames", "message.bin", Frames(plain, kZepFrameTypeMessage, 7, false, 4000));
    Write("wire_frames", "message_crc.bin", Frames(plain, kZepFrameTypeMessage, 7, true, 4000));
    Write("wire_frames", "reply_in_pieces.bin",
          Frames(TransformedMessage(201001, text, cipher, zlib), kZepFrameTypeReply, 1, false, 24));
    Bytes two = Frames(plain, kZepFrameTypeMessage, 8, false, 40);
    const Bytes headerOnly = {24, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0,
                              0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    two.insert(two.begin(), headerOnly.begin(), headerOnly.end());
    Write("wire_frames", "header_only_then_pieces.bin", two);
}

// ---- regional notifications ------------------------------------------------------

// The dispatch input of a record: the index of its id, then the record.
Bytes RegionalInput(int32_t id, const Bytes& record) {
    const auto* at = std::find(kRegionalDispatchIds.begin(), kRegionalDispatchIds.end(), id);
    Bytes input = {static_cast<uint8_t>(at - kRegionalDispatchIds.begin())};
    input.insert(input.end(), record.begin(), record.end());
    return input;
}

// The replies input: the reader, the result's index, then the reply.
Bytes ReplyInput(uint8_t reader, uint8_t result, const Bytes& reply) {
    Bytes input = {reader, result};
    input.insert(input.end(), reply.begin(), reply.end());
    return input;
}

void WriteRegionalReplies() {
    namespace tp = table_protocol;
    tp::OperationReply draw;
    draw.tile = 46;
    draw.wallIndex = 55;
    draw.options = tp::kOptionHu;
    const Bytes full = tp::WriteTableRecord(draw);
    const Bytes shortDraw(full.begin(), full.begin() + tp::kOperationReplyShortBytes);
    draw.options = tp::kOptionTing | tp::kOptionGang;
    draw.tingCandidates.fill(tp::kNoTile);
    draw.tingCandidates[0] = 12;
    const Bytes ting = tp::WriteTableRecord(draw);
    const Bytes flaggedShort(ting.begin(), ting.begin() + tp::kOperationReplyShortBytes);
    tp::TingInfo peng;
    peng.options = tp::kOptionTing;
    peng.candidates.fill(tp::kNoTile);
    peng.candidates[0] = 30;
    tp::GangQueryReply query;
    query.chairOptions = {0, 0x08, 0, 0, 0, 0, 0, 0};
    const std::string target = "regional_replies";
    Write(target, "draw.bin", ReplyInput(0, 0, shortDraw));
    Write(target, "draw_ting.bin", ReplyInput(0, 0, ting));
    Write(target, "draw_flag_without_data.bin", ReplyInput(0, 0, flaggedShort));
    Write(target, "draw_refused.bin", ReplyInput(0, 1, shortDraw));
    Write(target, "draw_cut.bin",
          ReplyInput(0, 0, Bytes(shortDraw.begin(), shortDraw.begin() + 10)));
    Write(target, "gang_ting.bin", ReplyInput(1, 0, ting));
    Write(target, "gang_held.bin", ReplyInput(1, 3, shortDraw));
    Write(target, "peng_ting.bin", ReplyInput(2, 0, tp::WriteTableRecord(peng)));
    Write(target, "peng_cut.bin", ReplyInput(2, 0, Bytes(4, 0x40)));
    Write(target, "gang_query.bin", ReplyInput(3, 0, tp::WriteTableRecord(query)));
    const std::string amount = "  5000 ";
    Write(target, "amount.bin", ReplyInput(4, 0, Bytes(amount.begin(), amount.end())));
    const std::string huge = "-99999999999999999999";
    Write(target, "amount_huge.bin", ReplyInput(4, 0, Bytes(huge.begin(), huge.end())));
    Write(target, "view_ting.bin", ReplyInput(5, 0, tp::WriteTableRecord(peng)));
    Write(target, "view_ting_cut.bin", ReplyInput(5, 0, flaggedShort));
}

void WriteRegional() {
    namespace tp = table_protocol;
    tp::HandStartRecord start;
    start.banker = 3;
    start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
    start.seatTileCounts = {13, 13, 13, 14};
    start.ownTiles.fill(-1);
    for (int i = 0; i < 13; ++i) {
        start.ownTiles[static_cast<size_t>(i)] = i;
    }
    const Bytes startBytes = tp::WriteTableRecord(start);
    tp::GameResultRecord result;
    result.winner = 1;
    result.winFlags = {0, 1, 0, 0};
    const char names[] = "平胡|带根|清一色";
    std::copy(std::begin(names), std::end(names) - 1, result.itemNames.begin());
    tp::SwapDiceNotice dice;
    dice.die = 4;
    tp::SwapReadyNotice ready;
    ready.chair = 2;
    ready.kind = tp::kSwapReadyKind;
    ready.pointerChair = 2;
    tp::WelfareActivityNotice welfare;
    welfare.activityId = 5;
    tp::CardThrownNotice ting;
    ting.thrower = 1;
    ting.tile = 40;
    tp::PlayerLeftNotice left;
    left.chair = 2;
    left.forced = 1;
    left.scoreDeducted = -10;
    left.silverDeducted = -200;
    tp::SeatStartedNotice started;
    started.head.chair = 3;
    Bytes chat(36, 0);
    chat[8] = 8;
    const std::string line = "<c=255>你好\r\n";
    chat.insert(chat.end(), line.begin(), line.end());
    chat.push_back(0);
    Bytes table(64, 0);
    table.insert(table.end(), startBytes.begin(), startBytes.end());
    const std::string url = "http://127.0.0.1/pay?x=1";

    const std::string target = "regional_dispatch";
    Write(target, "hand_start.bin", RegionalInput(tp::kHandStart, startBytes));
    Write(target, "hand_result.bin", RegionalInput(tp::kHandResult, tp::WriteTableRecord(result)));
    Write(target, "hand_state.bin", RegionalInput(tp::kHandState, Bytes(tp::kHandStateBytes, 1)));
    Write(target, "swap_dice.bin", RegionalInput(tp::kSwapDice, tp::WriteTableRecord(dice)));
    Write(target, "swap_ready.bin", RegionalInput(tp::kSwapReady, tp::WriteTableRecord(ready)));
    Write(target, "charge_url.bin", RegionalInput(tp::kChargeUrl, Bytes(url.begin(), url.end())));
    Write(target, "welfare.bin",
          RegionalInput(tp::kWelfareActivity, tp::WriteTableRecord(welfare)));
    Write(target, "ting_throw.bin",
          RegionalInput(tp::kTingThrowNotice, tp::WriteTableRecord(ting)));
    Write(target, "player_left.bin", RegionalInput(tp::kPlayerLeft, tp::WriteTableRecord(left)));
    Write(target, "table_chat.bin", RegionalInput(tp::kTableChat, chat));
    Write(target, "seat_started.bin",
          RegionalInput(tp::kSeatStarted, tp::WriteTableRecord(started)));
    Write(target, "table_players.bin", RegionalInput(tp::kTablePlayers, table));
    tp::CardThrownNotice thrown;
    thrown.thrower = 2;
    thrown.tile = 19;
    thrown.chairOptions = {0x21, 0, 0, 0x08};
    Write(target, "card_thrown.bin", RegionalInput(tp::kCardThrown, tp::WriteTableRecord(thrown)));
    tp::GangHuNotice gangHu;
    gangHu.ganger = 1;
    gangHu.offerChair = 2;
    gangHu.tile = 27;
    gangHu.gangKind = 2;
    gangHu.chairOptions = {0x08, 0, 0, 0};
    Write(target, "gang_hu.bin", RegionalInput(tp::kGangHuNotice, tp::WriteTableRecord(gangHu)));
    tp::LookCardAnswerRecord answer;
    answer.answeringUser = 9001;
    answer.answeringChair = 1;
    answer.lookerOn = 9009;
    answer.allowed = 1;
    Write(target, "look_card_answer.bin",
          RegionalInput(tp::kLookCardAnswer, tp::WriteTableRecord(answer)));
    WriteRegionalReplies();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    WritePps();
    WriteCursors();
    WritePictures();
    WriteKorPacks();
    WriteMidi();
    WriteWire();
    WriteRegional();
    return 0;
}
