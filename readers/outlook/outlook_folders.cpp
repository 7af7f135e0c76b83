#include "readers/outlook/outlook_folders.h"

#include "readers/outlook/outlook_reader.h"
#include "readers/outlook/session.h"

namespace qv::outlook {
namespace {

class OutlookFolders final : public FolderSource {
 public:
  explicit OutlookFolders(AutomationFactory factory) : factory_(std::move(factory)) {}

  bool clientInstalled() override { return outlook::clientInstalled(factory_); }

  std::string start(const std::vector<std::string>& chosen) override {
    session_ = std::make_unique<Session>(factory_ ? factory_() : nullptr);
    switch (session_->start()) {
      case StartResult::NotInstalled: return kNotInitialisedText;
      case StartResult::CannotRun: return kCannotRunText;
      case StartResult::Started: break;
    }
    if (!session_->select(chosen)) return kFoldersMissingText;
    for (const Folder& f : session_->folders())
      if (f.selected) selected_.push_back(&f);
    return {};
  }

  std::vector<SourceFile> sources() const override {
    std::vector<SourceFile> out;
    for (const Folder* f : selected_) out.push_back({f->name, f->count});
    return out;
  }

  std::uint64_t items() const override { return session_ ? session_->selectedItems() : 0; }

  std::unique_ptr<Reader> reader(std::size_t index) override {
    if (!session_ || index >= selected_.size()) return nullptr;
    return std::make_unique<OutlookReader>(*session_, *selected_[index]);
  }

 private:
  AutomationFactory factory_;
  std::unique_ptr<Session> session_;
  std::vector<const Folder*> selected_;
};

}  // namespace

void registerOutlookFolders(Library& lib, AutomationFactory factory) {
  registerFolderSource(lib, kFormatName,
                       [factory = std::move(factory)] { return std::make_unique<OutlookFolders>(factory); });
}

}  // namespace qv::outlook
