#include "wordindex/message_texts.h"

#include "store/report.h"

namespace qv::wordindex {

using engine::Err;

std::string shownText(const MessageText& m) {
  std::string shown;
  shown.reserve(textStart(m) + m.text.size());
  shown.append(kSubjectLabel).append(m.subject).append(kCrLf).append(kCrLf).append(m.text);
  return shown;
}

std::size_t textStart(const MessageText& m) { return kSubjectLabel.size() + m.subject.size() + 2 * kCrLf.size(); }

void forEachWord(const MessageText& m, const DelimiterSet& set, const CutOptions& options,
                 const std::function<void(const WordHit&)>& f) {
  WordHit hit;
  WordCutter subject(m.subject, set, options);
  while (subject.next(hit)) {
    hit.start += kSubjectLabel.size();
    f(hit);
  }
  const std::size_t offset = textStart(m);
  WordCutter text(m.text, set, options);
  while (text.next(hit)) {
    hit.start += offset;
    f(hit);
  }
}

namespace {

bool isMailDatabase(const Context& ctx) { return databaseType(ctx.mem.ForumType) == DatabaseType::Mail; }

}  // namespace

MessageTexts::MessageTexts(Context& ctx)
    : ctx_(ctx),
      mail_(isMailDatabase(ctx)),
      tables_(ctx, mail_ ? std::initializer_list<int>{Mail::FileNo, MsgText::FileNo}
                         : std::initializer_list<int>{MsgNmbr::FileNo, MsgText::FileNo, Threads::FileNo}) {}

TextRead MessageTexts::failed(engine::File& f) {
  inform(ctx_, "Word Index Error", f.errorText(), MessageKind::Error);
  return TextRead::Failed;
}

engine::File& MessageTexts::headers() {
  return mail_ ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>();
}

void MessageTexts::threadSubject(std::uint32_t thread, std::string& subject) {
  // Messages of one thread often follow each other: keep the last subject.
  if (thread != cachedThread_ || thread == 0) {
    cachedThread_ = thread;
    ctx_.thr = Threads{};
    ctx_.thr.THREADNUMBER = thread;
    cachedSubject_ = ctx_.fileOf<Threads>().get(Threads::ThreadKey) == Err::Ok ? ctx_.thr.HEADING() : std::string();
    while (!cachedSubject_.empty() && cachedSubject_.back() == ' ') cachedSubject_.pop_back();
  }
  subject = cachedSubject_;
}

TextRead MessageTexts::nextId(std::uint32_t& id) {
  engine::File& h = headers();
  if (!walking_) {
    if (h.set(mail_ ? Mail::IdKey : MsgNmbr::IdKey) != Err::Ok) return failed(h);
    walking_ = true;
  }
  const Err e = h.next();
  if (e == Err::RecordNotAvailable) return TextRead::End;
  if (e != Err::Ok) return failed(h);
  id = mail_ ? ctx_.mai.MAILID : ctx_.msg.MSGNUMBER;
  return TextRead::Found;
}

TextRead MessageTexts::read(std::uint32_t id, MessageText& out) {
  engine::File& h = headers();
  Err e;
  if (mail_) {
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = id;
    e = h.get(Mail::IdKey);
  } else {
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = id;
    e = h.get(MsgNmbr::IdKey);
  }
  if (e == Err::RecordNotFound) return TextRead::End;
  if (e != Err::Ok) return failed(h);
  out.id = id;
  if (mail_)
    out.subject = ctx_.mai.SUBJECT.str();
  else
    threadSubject(ctx_.msg.THREADNUMBER, out.subject);
  engine::File& texts = ctx_.fileOf<MsgText>();
  ctx_.txt = MsgText{};
  ctx_.txt.MSGNUMBER = id;
  e = texts.get(MsgText::IdKey);
  if (e == Err::RecordNotFound) {
    out.text.clear();
    return TextRead::Found;
  }
  if (e != Err::Ok) return failed(texts);
  out.text = ctx_.txtMemo;
  return TextRead::Found;
}

std::int64_t MessageTexts::count() { return headers().records(); }

engine::ReadBurst MessageTexts::burst() {
  if (mail_) return engine::ReadBurst{&headers(), &ctx_.fileOf<MsgText>()};
  return engine::ReadBurst{&headers(), &ctx_.fileOf<MsgText>(), &ctx_.fileOf<Threads>()};
}

}  // namespace qv::wordindex
