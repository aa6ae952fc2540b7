#pragma once
// One side of an online match. Each frame it plays the local player's
// controls a few frames late and guesses the other's, so that the match
// never waits on the network for a frame's inputs; when the other's real
// input arrives and differs from the guess, it goes back to the last state
// both inputs confirm and plays the frames since again. It knows nothing of
// sockets: it is given the other side's messages and leaves its own in
// `out` for whoever carries them.
#include "game/step.h"
#include "online/protocol.h"
#include "sound/sound.h"

#include <cstdint>
#include <vector>

constexpr uint32_t inputDelay = 3;  // frames: 33 ms, wherever the other player is
constexpr uint32_t maxAhead = 12;   // frames past the last confirmed one
constexpr uint32_t hashEvery = 30;  // frames between compared hashes

struct Rollback {
    static constexpr uint32_t ring = 64;  // inputs kept, by frame modulo ring
    static constexpr int hashes = 8;      // hashes kept, of each side

    proto::Side me = proto::right;
    MatchState confirmed{};  // every input before its frame is known
    MatchState current{};    // the newest state, the other's late inputs guessed
    uint8_t mine[ring] = {}, theirs[ring] = {};
    uint8_t guessed[ring] = {};  // the other's input that current played each frame with
    uint32_t mineKnown = 0, theirsKnown = 0;  // inputs known: the frames below
    struct Hashed {
        uint32_t frame;
        uint64_t hash;
    } myHashes[hashes] = {}, theirHashes[hashes] = {};
    bool replaying = false;  // rebuilding the match from the server's log
    double lead = 0;         // how many frames this side runs ahead of the other, smoothed

    // What it has seen, for the player's console and the tests.
    uint64_t rollbacks = 0;    // guesses that a late input proved wrong
    uint64_t replayed = 0;     // frames played again after them
    uint32_t longestReplay = 0;
    uint64_t waits = 0;        // frames due but not played, too far ahead
    uint32_t desyncs = 0;
    uint32_t desyncFrame = 0;  // the first frame whose hashes differed

    std::vector<proto::ToServer> out;  // to send, in order

    void start(proto::Side side, uint32_t seed, int points);
    // A frame is due: the local player's controls now, which count
    // inputDelay frames later. Plays the frame, or waits when too far ahead
    // of the other; gives what the new frame makes heard.
    Sound frame(unsigned bits);
    // The other side's input, and its hash; false for one that cannot be
    // right (out of order, or beyond what a true player could be ahead).
    bool theirInput(const proto::Input& in);
    void theirHash(const proto::Hash& h);
    // This side's own input from the server's log, after the game lost the
    // match (a page reloaded): the frame it was sent in is played again,
    // silently. Once the log is through, endReplay() and play on.
    bool ownInput(const proto::Input& in);
    void endReplay();

    // The match is over when the confirmed state ends it, or when the two
    // sides were found to disagree.
    bool over() const { return confirmed.donegra || desyncs; }
    // Milliseconds to add to the next frame's wait, -1, 0 or 1, so that
    // neither side stays ahead of the other for long.
    int pace() const;

  private:
    unsigned guess(uint32_t frame) const;
    void play();
    void settle();
    void compare(uint32_t frame);
};
