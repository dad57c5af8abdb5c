#include "core/vb_error.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

int vb_error_number(const std::exception& e) {
  if (auto* v = dynamic_cast<const VbError*>(&e)) return v->number;
  if (dynamic_cast<const std::out_of_range*>(&e)) return 9;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
  return 5;
}

std::string error_text(const std::exception& e) {
  if (dynamic_cast<const VbError*>(&e)) return e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが足りません (out of memory)";
  return std::string("内部エラー (") + e.what() + ")";
}

int vb_code_from_errno(int err) {
  switch (err) {
    case ENOENT:
      return 53;
    case ENOTDIR:
      return 76;
    case EACCES:
    case EPERM:
    case EROFS:
      return 70;
    case ENOSPC:
    case EDQUOT:
      return 61;
    case EIO:
      return 57;
    case EEXIST:
      return 58;
    case ENAMETOOLONG:
      return 52;
    default:
      return 75;
  }
}

std::string error_reason(int err) {
  const char* ja = nullptr;
  switch (err) {
    case ENOENT:
      ja = "ファイルまたはフォルダがありません";
      break;
    case ENOTDIR:
      ja = "途中の名前がフォルダではありません";
      break;
    case EISDIR:
      ja = "フォルダです";
      break;
    case EACCES:
    case EPERM:
      ja = "アクセスが許可されていません";
      break;
    case EROFS:
      ja = "読み取り専用のファイルシステムです";
      break;
    case ENOSPC:
    case EDQUOT:
      ja = "ディスクの空きがありません";
      break;
    case EIO:
      ja = "入出力エラー";
      break;
    case EEXIST:
      ja = "同じ名前のものが既にあります";
      break;
    case ENAMETOOLONG:
      ja = "名前が長すぎます";
      break;
    default:
      break;
  }
  const std::string sys = std::strerror(err);
  return ja ? std::string(ja) + " (" + sys + ")" : sys;
}
