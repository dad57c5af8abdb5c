#include "archive/menu_index.h"

#include <cstring>
#include <exception>

#include "archive/archive_state.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_write.h"
#include "core/settings.h"
#include "core/vb_error.h"
#include "settings/settings_table.h"

namespace {

constexpr char kMagic[16] = "vorn_htm index";
constexpr std::uint64_t kVersion = 3;
constexpr std::uint64_t kByteOrder = 0x0102030405060708ull;

static_assert(sizeof(MenuRecord) % 8 == 0 && sizeof(MenuBlock) % 8 == 0);

struct Header {
  char magic[16];
  std::uint64_t version;
  std::uint64_t byte_order;
  std::uint64_t record_size;
  std::uint64_t block_size;
  std::uint64_t menu_size;
  std::int64_t menu_mtime_ns;
  std::int64_t menu_ctime_ns;
  std::uint64_t menu_inode;
  std::uint64_t settings;
  std::int64_t mail_no;
  std::uint64_t records;
  std::uint64_t blocks;
  std::uint64_t ranked;
  std::uint64_t sender_bytes;
};
static_assert(sizeof(Header) % 8 == 0);

// A word-at-a-time hash, to notice a damaged index. The file's hash
// combines those of its parts, so each part is hashed where it lies.
std::uint64_t part_hash(std::string_view data, std::uint64_t h) {
  h ^= 0x9e3779b97f4a7c15ull + data.size();
  std::size_t i = 0;
  for (; i + 8 <= data.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, data.data() + i, 8);
    h = (h ^ w) * 0xff51afd7ed558ccdull;
    h ^= h >> 29;
  }
  for (; i < data.size(); ++i) h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
  return h;
}

template <class T>
std::string_view Bytes(const T* data, std::size_t count) {
  return {reinterpret_cast<const char*>(data), count * sizeof(T)};
}

// Every block must cover records and bytes the index describes, in order,
// and every record lie inside the menu; thread numbers are dense, so below
// the number of records.
bool parts_in_order(const SavedMenuIndex& index, const Header& h) {
  std::uint64_t next_record = 0, next_byte = 0;
  for (const MenuBlock& b : index.blocks) {
    if (b.first != next_record || b.last <= b.first || b.last > h.records || b.first_step >= h.records ||
        b.start < next_byte || b.end < b.start || b.end > h.menu_size)
      return false;
    next_record = b.last;
    next_byte = b.end;
  }
  if (next_record != h.records) return false;
  for (const MenuRecord& r : index.records)
    if (r.offset + r.length + 2 > h.menu_size || r.thread >= h.records) return false;
  return true;
}

// The sender counts, lines "count TAB sender"; false when one is malformed.
bool read_senders(std::string_view data, std::vector<std::pair<std::string, long long>>& senders) {
  while (!data.empty()) {
    const std::size_t nl = data.find('\n');
    const std::size_t tab = data.find('\t');
    if (nl == std::string_view::npos || tab == std::string_view::npos || tab > nl) return false;
    long long count = 0;
    for (char c : data.substr(0, tab)) {
      if (c < '0' || c > '9' || count > (1LL << 50)) return false;
      count = count * 10 + (c - '0');
    }
    senders.emplace_back(std::string(data.substr(tab + 1, nl - tab - 1)), count);
    data.remove_prefix(nl + 1);
  }
  return true;
}

std::optional<SavedMenuIndex> parse_index(std::shared_ptr<const MappedFile> file) {
  std::string_view data = file->data();
  if (data.size() < sizeof(Header) + 8) return std::nullopt;
  Header h;
  std::memcpy(&h, data.data(), sizeof h);
  if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 || h.version != kVersion || h.byte_order != kByteOrder ||
      h.record_size != sizeof(MenuRecord) || h.block_size != sizeof(MenuBlock))
    return std::nullopt;
  std::uint64_t stored;
  std::memcpy(&stored, data.data() + data.size() - 8, 8);
  data.remove_suffix(8);
  data.remove_prefix(sizeof h);
  if (h.records > data.size() / sizeof(MenuRecord) || h.blocks > data.size() / sizeof(MenuBlock) ||
      h.sender_bytes > data.size() || h.records >= 0xffffffffull ||
      h.records * sizeof(MenuRecord) + h.blocks * sizeof(MenuBlock) + h.sender_bytes != data.size())
    return std::nullopt;

  SavedMenuIndex index;
  index.menu = FileStamp{static_cast<long long>(h.menu_size), h.menu_mtime_ns, h.menu_ctime_ns, h.menu_inode};
  index.settings = h.settings;
  index.mail_no = h.mail_no;
  index.ranked = h.ranked != 0;
  // The mapping starts on a page and the header's size is a multiple of
  // eight, so the records and blocks lie aligned where they are.
  index.records = {reinterpret_cast<const MenuRecord*>(data.data()), h.records};
  data.remove_prefix(h.records * sizeof(MenuRecord));
  index.blocks = {reinterpret_cast<const MenuBlock*>(data.data()), h.blocks};
  data.remove_prefix(h.blocks * sizeof(MenuBlock));
  const std::string_view senders = data;
  std::uint64_t hash = part_hash(Bytes(&h, 1), 0);
  hash = part_hash(Bytes(index.records.data(), index.records.size()), hash);
  hash = part_hash(Bytes(index.blocks.data(), index.blocks.size()), hash);
  if (part_hash(senders, hash) != stored) return std::nullopt;
  if (!parts_in_order(index, h) || !read_senders(senders, index.senders)) return std::nullopt;
  index.file = std::move(file);
  return index;
}

}  // namespace

std::uint64_t menu_settings_key(const Settings& s) {
  // The rows of the settings table marked as part of the page style are in
  // page_style; those marked as shaping the menu are in menu_settings_text.
  return stable_hash(page_style(s) + menu_settings_text(s));
}

std::uint64_t message_id_hash(std::string_view id) {
  const std::uint64_t h = stable_hash(id);
  return h == 0 ? 1 : h;
}

std::uint32_t subject_hash(std::string_view subject, const Settings& set) {
  if (!set.S_TITLE) return 0;
  std::string reduced(subject);
  Trim_Subj(reduced);
  if (sjis::contains(set.TITLE_D, reduced)) return 0;
  const std::uint32_t h = static_cast<std::uint32_t>(stable_hash(reduced));
  return h == 0 ? 1 : h;
}

std::optional<SavedMenuIndex> take_menu_index(const std::string& folder, const Settings& set) {
  const std::string path = join_path(folder, kMenuIndexFile.name);
  if (!is_regular_file(path)) return std::nullopt;
  try {
    // The mapping stays readable after the file is removed.
    auto file = std::make_shared<const MappedFile>(path);
    remove_file(path);
    std::optional<SavedMenuIndex> index = parse_index(std::move(file));
    if (!index || index->settings != menu_settings_key(set) || (set.ML_RANK && !index->ranked)) return std::nullopt;
    if (file_stamp(join_path(folder, kMenuFile.name)) != index->menu) return std::nullopt;
    return index;
  } catch (const std::exception&) {
    // An unreadable index is no index: the menu is read whole.
    return std::nullopt;
  }
}

void drop_menu_index(const std::string& folder) {
  const std::string path = join_path(folder, kMenuIndexFile.name);
  if (exists(path)) remove_file(path);
}

void save_menu_index(const std::string& folder, MenuIndex& index) {
  const std::optional<FileStamp> menu = file_stamp(join_path(folder, kMenuFile.name));
  if (!menu) throw VbError(53, "menu.html is gone");
  index.menu = *menu;

  std::string senders;
  for (const auto& [sender, count] : index.senders) {
    senders += std::to_string(count);
    senders += '\t';
    senders += sender;
    senders += '\n';
  }
  Header h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  h.version = kVersion;
  h.byte_order = kByteOrder;
  h.record_size = sizeof(MenuRecord);
  h.block_size = sizeof(MenuBlock);
  h.menu_size = static_cast<std::uint64_t>(index.menu.size);
  h.menu_mtime_ns = index.menu.mtime_ns;
  h.menu_ctime_ns = index.menu.ctime_ns;
  h.menu_inode = index.menu.inode;
  h.settings = index.settings;
  h.mail_no = index.mail_no;
  h.records = index.records.size();
  h.blocks = index.blocks.size();
  h.ranked = index.ranked ? 1 : 0;
  h.sender_bytes = senders.size();

  const std::string_view records = Bytes(index.records.data(), index.records.size());
  const std::string_view blocks = Bytes(index.blocks.data(), index.blocks.size());
  std::uint64_t hash = part_hash(Bytes(&h, 1), 0);
  hash = part_hash(records, hash);
  hash = part_hash(blocks, hash);
  hash = part_hash(senders, hash);
  AtomicOut out(join_path(folder, kMenuIndexFile.name));
  out.part(Bytes(&h, 1));
  out.part(records);
  out.part(blocks);
  out.part(senders);
  out.part(Bytes(&hash, 1));
  out.commit();
}
