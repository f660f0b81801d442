// feedcat: reads a feed document from a file or an http(s) URL, runs a feed
// reader on it and prints what the reader read as one JSON object.
//
//   feedcat [--first] [--utf8] FILE_OR_URL
//   feedcat --shown FILE_OR_URL
//
// Strings carry the reader's Windows-1250 bytes: printable ASCII as itself,
// every other byte as \u00XX. With --utf8 they carry the Unicode text instead.
// --shown prints what the windows show instead: for each row the list's
// text, the tab caption, the item view's title, date and link, and the
// description as plain and as rich text, all UTF-8.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "common/codepage.h"
#include "common/file_io.h"
#include "net/http_client.h"
#include "reader/shown_feed.h"
#include "reader/shown_text.h"
#include "reader/stored_feed.h"

namespace {

// The most a document may hold, from a file as from the network.
constexpr std::size_t kMaxDocumentSize = 64u * 1024 * 1024;

// The document, and the address it was read from (none for a file).
rivolet::HttpResult LoadDocument(const std::string& source) {
  if (rivolet::StartsWithIgnoreCase(source, "http://") ||
      rivolet::StartsWithIgnoreCase(source, "https://")) {
    rivolet::HttpClient client;
    return rivolet::HttpGet(client, source);
  }
  return {rivolet::ReadWholeFile(source, kMaxDocumentSize), {}};
}

void AppendEscape(std::string& out, unsigned value) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(value >> shift) & 0xF];
}

// A JSON string literal of Windows-1250 text.
std::string JsonString(std::string_view text, bool as_unicode) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else if (!as_unicode) {
      AppendEscape(out, byte);
    } else {
      const char32_t code_point = rivolet::Cp1250ToUnicode(byte);
      // Control characters stay escaped so that the output remains readable.
      if (code_point < 0x20 || (code_point >= 0x7F && code_point < 0xA0)) {
        AppendEscape(out, static_cast<unsigned>(code_point));
      } else {
        out += rivolet::Cp1250ToUtf8(std::string_view(&c, 1));
      }
    }
  }
  out += '"';
  return out;
}

std::string FeedJson(const rivolet::FeedReadResult& result, bool as_unicode) {
  std::string out =
      "{\"window_title\":" + JsonString(result.window_title, as_unicode) +
      ",\"channel_title\":" + JsonString(result.channel_title, as_unicode) +
      ",\"count\":" + std::to_string(result.total) + ",\"items\":[";
  for (int i = 0; i < result.items.count; ++i) {
    const rivolet::ItemRecord& item = result.items.records[i];
    out += i == 0 ? "\n" : ",\n";
    out += "{\"title\":" + JsonString(item.title, as_unicode) +
           ",\"date\":" + JsonString(item.date, as_unicode) +
           ",\"link\":" + JsonString(item.link, as_unicode) +
           ",\"description\":" + JsonString(item.description, as_unicode) + "}";
  }
  out += "\n]}\n";
  return out;
}

std::string FirstItemJson(const rivolet::FirstItemResult& result,
                          bool as_unicode) {
  return "{\"caption\":" + JsonString(result.caption, as_unicode) +
         ",\"title\":" + JsonString(result.title, as_unicode) +
         ",\"date\":" + JsonString(result.date, as_unicode) + "}\n";
}

// A JSON string literal of UTF-8 text; control characters escaped.
std::string JsonUtf8(std::string_view text) {
  std::string out = "\"";
  for (const char c : rivolet::Utf8WithReplacements(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      AppendEscape(out, byte);
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string ShownJson(const rivolet::ShownFeed& feed) {
  std::string out = "{\"window_title\":" + JsonUtf8(feed.window_title) +
                    ",\"count\":" + std::to_string(feed.total) + ",\"items\":[";
  for (std::size_t i = 0; i < feed.items.size(); ++i) {
    const rivolet::ShownItem& item = feed.items[i];
    const rivolet::ShownMarkup description = rivolet::FormatShownItem(item);
    out += i == 0 ? "\n" : ",\n";
    out += "{\"row\":" + JsonUtf8(rivolet::ShownRowText(item.title)) +
           ",\"tab\":" + JsonUtf8(rivolet::ShownTabCaption(item.title)) +
           ",\"title\":" + JsonUtf8(item.title) +
           ",\"date\":" + JsonUtf8(item.date) +
           ",\"link\":" + JsonUtf8(item.link) +
           ",\"text\":" + JsonUtf8(description.plain) +
           ",\"rich\":" + JsonUtf8(description.rich) + "}";
  }
  out += "\n]}\n";
  return out;
}

int Usage() {
  std::fputs(
      "usage: feedcat [--first] [--utf8] FILE_OR_URL\n"
      "       feedcat --shown FILE_OR_URL\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool first = false;
  bool as_unicode = false;
  bool shown = false;
  std::string source;
  bool have_source = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--first") {
      first = true;
    } else if (arg == "--utf8") {
      as_unicode = true;
    } else if (arg == "--shown") {
      shown = true;
    } else if (arg.starts_with("--") || have_source) {
      return Usage();
    } else {
      source = arg;
      have_source = true;
    }
  }
  if (!have_source || (shown && (first || as_unicode))) return Usage();

  std::string document;
  std::string address;
  try {
    rivolet::HttpResult loaded = LoadDocument(source);
    document = std::move(loaded.body);
    address = std::move(loaded.final_url);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }

  const std::string json =
      shown   ? ShownJson(rivolet::ReadShownFeed(document, address))
      : first ? FirstItemJson(rivolet::ReadFirstItem(std::move(document)),
                              as_unicode)
              : FeedJson(rivolet::ReadFeed(std::move(document)), as_unicode);
  std::fwrite(json.data(), 1, json.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
