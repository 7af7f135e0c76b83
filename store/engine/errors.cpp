#include "store/engine/errors.h"

namespace qv::engine {

const char* defaultText(Err e) {
  switch (e) {
    case Err::Ok: return "No error";
    case Err::FileNotFound: return "File not found";
    case Err::PathNotFound: return "Path not found";
    case Err::AccessDenied: return "Access denied";
    case Err::NoMemory: return "Not enough memory";
    case Err::EntryNotFound: return "Entry not found";
    case Err::FileLocked: return "The file is locked by another user";
    case Err::RecordNotAvailable: return "Record not available";
    case Err::RecordNotFound: return "Record not found";
    case Err::InvalidFileName: return "Invalid file name";
    case Err::FileNotOpen: return "File not open";
    case Err::DuplicateKey: return "Creates a duplicate key";
    case Err::BadKeys: return "The keys of the file must be rebuilt";
    case Err::LayoutDiffers: return "Stored record layout differs from the declared one";
    case Err::UnableToLock: return "Unable to lock the files of the transaction";
    case Err::FileAlreadyOpen: return "File already open";
    case Err::TransactionActive: return "A transaction is already active";
    case Err::NotSupported: return "Operation not supported by this driver";
    case Err::FileSystemError: return "File system error";
    case Err::NoTransaction: return "No transaction active";
  }
  return "Unknown error";
}

}  // namespace qv::engine
