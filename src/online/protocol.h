#pragma once
// What an online player and rallyo-server say to each other: binary
// WebSocket messages, each a version byte, a kind byte and the kind's fixed
// fields, integers little-endian. Nothing from the network is trusted: a
// message is decoded only if its version, kind, size and every field are as
// written here, and anything else is refused whole.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace proto {

constexpr uint8_t version = 1;
// Room codes: ten characters, 50 bits, none that reads like another aloud
// or on paper (no 0, o, 1, l).
constexpr int codeLength = 10;
constexpr char alphabet[] = "23456789abcdefghijkmnpqrstuvwxyz";
constexpr size_t maxMessage = 64;  // the longest message, with room to spare

enum Kind : uint8_t {
    // player -> server
    kCreate = 1,  // points
    kJoin = 2,    // code
    kRejoin = 3,  // code, token
    kInput = 4,   // frame, bits, ack
    kHash = 5,    // frame, hash
    kAway = 6,    // away
    // server -> player
    kRoom = 16,     // code, token, side
    kStart = 17,    // seed, points
    kTheirs = 18,   // side, frame, bits, ack: an input, forwarded or from the log
    kTheirHash = 19,  // side, frame, hash
    kPeer = 20,     // what became of the other player
};

// Sides: the room's creator plays the right paddle, the one who joins the left.
enum Side : uint8_t { right = 0, left = 1 };

struct Create {
    uint8_t points;  // 5 to 100, a multiple of 5
};
struct Join {
    std::string code;  // codeLength characters of the alphabet
};
struct Rejoin {
    std::string code;
    uint64_t token;  // as given in the Room message
};
// A side's controls (bits 0-3: up, down, smash, end) for the frame they
// count in, and how many frames of the other side's input the sender has.
struct Input {
    uint32_t frame;
    uint8_t bits;
    uint32_t ack;
};
// The hash of the sender's state confirmed by both sides' inputs up to
// `frame` (frame is a multiple of 30).
struct Hash {
    uint32_t frame;
    uint64_t hash;
};
// The page was hidden (1) or is seen again (0).
struct Away {
    uint8_t away;
};
struct Room {
    std::string code;
    uint64_t token;
    Side side;
};
struct Start {
    uint32_t seed;
    uint8_t points;
};
struct Theirs {
    Side side;
    Input input;
};
struct TheirHash {
    Side side;
    Hash hash;
};
enum PeerState : uint8_t { lost = 0, back = 1, hidden = 2, seen = 3, gone = 4 };
struct Peer {
    PeerState state;
};

using ToServer = std::variant<Create, Join, Rejoin, Input, Hash, Away>;
using ToPlayer = std::variant<Room, Start, Theirs, TheirHash, Peer>;

std::vector<uint8_t> encode(const ToServer& m);
std::vector<uint8_t> encode(const ToPlayer& m);
// nullopt for anything not exactly as written above; `why` then says what.
std::optional<ToServer> decodeToServer(const uint8_t* data, size_t size, std::string* why = nullptr);
std::optional<ToPlayer> decodeToPlayer(const uint8_t* data, size_t size, std::string* why = nullptr);

bool validCode(const std::string& code);
bool validPoints(unsigned points);

// WebSocket close codes the server ends a connection with, each with a
// short reason.
enum Close : uint16_t {
    goingAway = 1001,     // the server stops
    badMessage = 4000,    // a message out of place
    roomFull = 4001,
    noSuchRoom = 4004,
    tooMuch = 4008,       // a limit: rate, size, connections, rooms
    tooSlow = 4009,       // handshake or silence past its time
    roomOver = 4010,      // the other player left for good
};

}  // namespace proto
