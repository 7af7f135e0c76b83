#include "browse/browse_context.h"

namespace qv::browse {

MessageContext messageContext(const MsgNmbr& m, MessageView view, std::uint32_t wordId, std::uint32_t topicId) {
  MessageContext c;
  c.view = static_cast<std::uint8_t>(view);
  c.MSGNUMBER = m.MSGNUMBER;
  c.THREADALPHA = m.THREADALPHA;
  c.THREADNUMBER = m.THREADNUMBER;
  c.SECSYSID = m.SECSYSID;
  c.FROMID = m.FROMID;
  c.FROMALPHA = m.FROMALPHA;
  c.TOID = m.TOID;
  c.TOALPHA = m.TOALPHA;
  c.wordId = wordId;
  c.topicId = topicId;
  return c;
}

MailContext mailContext(const Mail& m, MailView view, std::uint32_t wordId, std::uint32_t topicId) {
  MailContext c;
  c.view = static_cast<std::uint8_t>(view);
  c.MAILID = m.MAILID;
  c.PAIRID = m.PAIRID;
  c.PAIRALPHA = m.PAIRALPHA;
  c.FROMID = m.FROMID;
  c.FROMALPHA = m.FROMALPHA;
  c.TOID = m.TOID;
  c.TOALPHA = m.TOALPHA;
  c.wordId = wordId;
  c.topicId = topicId;
  return c;
}

}  // namespace qv::browse
