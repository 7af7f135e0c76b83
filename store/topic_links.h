#pragma once
// Links between topics and messages: an SIndex row per (topic, message) and
// the topic's COD:COUNT, which always equals the number of its rows. A link
// and the count are written together in the caller's transaction (over
// SIndex and Codes, both open), so a failure rolls both back and the count
// never drifts from the links.

#include <cstdint>
#include <optional>

#include "store/context.h"

namespace qv {

// The topic or key word with identifier `id`, or nothing. Codes must be
// open; it is read from the start (its key orders by text, and a database
// holds few codes). Uses ctx.cod.
std::optional<Codes> findCode(Context& ctx, std::uint32_t id);

enum class LinkChange {
  Done,       // the row was added (removed) and the count raised (lowered)
  Unchanged,  // the message was linked (not linked) already: nothing written
  Failed,     // a read or write failed (reported); the caller rolls back
};

// Links message `message` (a message number, or a mail identifier) to
// `topic`, or removes the link when `link` is false. Uses ctx.sin, ctx.cod.
LinkChange changeTopicLink(Context& ctx, const Codes& topic, std::uint32_t message, bool link);

// Whether the message is linked to topic `topicId` (SIndex open).
bool isLinked(Context& ctx, std::uint32_t topicId, std::uint32_t message);

}  // namespace qv
