// Tests of the feed list file: exact bytes written, round trips, every
// failure message, and files built to mislead the reader.
#include "feeds/feed_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/error.h"
#include "feeds/feed_list.h"
#include "tests/support/error_text.h"

namespace rivolet {
namespace {

// Length byte and text.
std::string Short(std::string_view s) {
  return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

std::string Le32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
  return out;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// A file holding the given property records.
std::string FileWith(const std::string& properties,
                     std::string_view name = "MainRssList") {
  return "TPF0" + Short("TListView") + Short(name) + properties + Bytes({0, 0});
}

std::string ItemsData(const std::string& block) {
  return Short("Items.Data") + Bytes({0x0A}) +
         Le32(static_cast<std::uint32_t>(block.size())) + block;
}

std::string ReadError(const std::string& file, FeedList* list = nullptr,
                      FeedListControl* control = nullptr) {
  FeedList scratch_list;
  FeedListControl scratch_control;
  return testing::ErrorText([&] {
    ReadFeedFile(file, list ? *list : scratch_list,
                 control ? *control : scratch_control);
  });
}

TEST(FeedStreamTest, WorkedExampleIsWrittenByteForByte) {
  FeedList list;
  list.Append("N", "C", "60", "U");
  const std::string block = Bytes({
      0x2B, 0x00, 0x00, 0x00,              // size 43, this field included
      0x01, 0x00, 0x00, 0x00,              // one entry
      0x00, 0x00, 0x00, 0x00,              // image index 0
      0xFF, 0xFF, 0xFF, 0xFF,              // state index -1
      0xFF, 0xFF, 0xFF, 0xFF,              // overlay index -1
      0x03, 0x00, 0x00, 0x00,              // three fields
      0x00, 0x00, 0x00, 0x00,              // data 0
      0x01, 'N',                           // name
      0x01, 'C',                           // category
      0x02, '6',  '0',                     // period
      0x01, 'U',                           // URL
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // field images -1, -1, -1
  });
  ASSERT_EQ(block.size(), 43u);
  const std::string expected =
      std::string("TPF0") + Short("TListView") + Short("MainRssList") +  //
      Short("Left") + Bytes({0x02, 0x09}) +                              //
      Short("Top") + Bytes({0x03, 0xF8, 0x00}) +                         //
      Short("Width") + Bytes({0x03, 0x15, 0x01}) +                       //
      Short("Height") + Bytes({0x02, 0x61}) +                            //
      Short("Align") + Bytes({0x07}) + Short("alCustom") +               //
      Short("BevelInner") + Bytes({0x07}) + Short("bvSpace") +           //
      Short("BevelKind") + Bytes({0x07}) + Short("bkFlat") +             //
      Short("BorderStyle") + Bytes({0x07}) + Short("bsNone") +           //
      Short("Columns") + Bytes({0x0E}) +  // collection
      Bytes({0x01}) + Short("Caption") + Bytes({0x06}) + Short("Feed Name") +
      Bytes({0x00}) + Bytes({0x01}) + Short("Caption") + Bytes({0x06}) +
      Short("Category") + Bytes({0x00}) + Bytes({0x01}) + Short("Caption") +
      Bytes({0x06}) + Short("Update") + Bytes({0x00}) + Bytes({0x01}) +
      Short("Caption") + Bytes({0x06}) + Short("URL") + Bytes({0x00}) +
      Bytes({0x00}) +                      // end of collection
      Short("FullDrag") + Bytes({0x09}) +  //
      Short("Items.Data") + Bytes({0x0A, 0x2B, 0, 0, 0}) + block +  //
      Short("ReadOnly") + Bytes({0x09}) +                           //
      Short("RowSelect") + Bytes({0x09}) +                          //
      Short("ShowWorkAreas") + Bytes({0x09}) +                      //
      Short("TabOrder") + Bytes({0x02, 0x03}) +                     //
      Short("ViewStyle") + Bytes({0x07}) + Short("vsReport") +      //
      Short("Visible") + Bytes({0x08}) +                            //
      Bytes({0x00, 0x00});  // end of properties, no child objects
  EXPECT_EQ(WriteFeedFile(list, FeedListControl()), expected);

  FeedList read;
  FeedListControl control;
  ReadFeedFile(expected, read, control);
  EXPECT_EQ(read.entries(), list.entries());
  EXPECT_EQ(control, FeedListControl());
}

TEST(FeedStreamTest, EmptyListWritesNoItemBlockAndLoadingItKeepsTheList) {
  std::string file = WriteFeedFile(FeedList(), FeedListControl());
  EXPECT_EQ(file.find("Items.Data"), std::string::npos);
  FeedList list;
  list.Append("kept", "c", "1", "u");
  ReadFeedFile(file, list, *std::make_unique<FeedListControl>());
  EXPECT_EQ(list.Count(), 1u);
}

TEST(FeedStreamTest, OddEntriesRoundTrip) {
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<char>(b));
  FeedList list;
  list.Append("", "", "", "");
  list.Append(std::string(255, 'a'), std::string(300, 'c'), "60",
              std::string(300, 'u'));
  list.Append(high, high, high.substr(0, 5), high);
  FeedEntry no_fields;
  no_fields.name = "none";
  no_fields.image_index = 70000;
  no_fields.state_index = -129;
  no_fields.overlay_index = 3;
  no_fields.data = INT32_MIN;
  list.AppendEntry(no_fields);
  FeedEntry five;
  five.name = "five";
  five.fields = {"a", "b", "c", "d", "e"};
  five.field_images = {0, -1, 32767, -32768, 5};
  five.data = 0x12345678;
  list.AppendEntry(five);

  const std::string first = WriteFeedFile(list, FeedListControl());
  FeedList read;
  FeedListControl control;
  ReadFeedFile(first, read, control);
  ASSERT_EQ(read.Count(), 5u);
  EXPECT_EQ(read.Entry(1).name.size(), 255u);
  EXPECT_EQ(read.Entry(1).Category(), std::string(255, 'c'));
  EXPECT_EQ(read.Entry(1).Url(), std::string(255, 'u'));
  EXPECT_EQ(read.Entry(2).name, high);
  EXPECT_EQ(read.Entry(3), no_fields);
  EXPECT_EQ(read.Entry(4), five);
  EXPECT_EQ(WriteFeedFile(read, control), first);

  // The block size counts the cut lengths: 8 + the five records and tables.
  const std::size_t expected_size =
      8 + (21 + 0 + 3 * 1 + 6) + (21 + 255 + 3 + 255 + 2 + 255 + 6) +
      (21 + 128 + 3 + 128 + 5 + 128 + 6) + (21 + 4) + (21 + 4 + 10 + 10);
  std::size_t at = first.find("Items.Data") + 10;
  EXPECT_EQ(first.substr(at, 9),
            Bytes({0x0A}) + Le32(expected_size) + Le32(expected_size));
}

TEST(FeedStreamTest, LayoutAndColumnsFromAFileAreWrittenBack) {
  const std::string properties =
      Short("left") + Bytes({0x04}) + Le32(100000) +  // any letter case, 32-bit
      Short("TOP") + Bytes({0x02, 0xF6}) +            // -10
      Short("Align") + Bytes({0x07}) +
      Short("ALCLIENT") +  // matched, stored as alClient
      Short("BorderStyle") + Bytes({0x07}) +
      Short("bsNope") +  // names no value: ignored
      Short("Visible") + Bytes({0x07}) + Short("true") +  //
      Short("ReadOnly") + Bytes({0x08}) +                 //
      Short("Columns") + Bytes({0x0E}) +                  //
      Bytes({0x02, 0x00, 0x01}) + Short("Caption") + Bytes({0x06}) +
      Short("One") + Short("Width") + Bytes({0x03, 0x2C, 0x01}) +
      Bytes({0x00}) +  // 300
      Bytes({0x01}) + Short("WidthType") + Bytes({0x01, 0x02, 0xFE, 0x00}) +
      Bytes({0x00}) + Bytes({0x01}) + Short("Caption") + Bytes({0x14}) +
      Le32(4) +
      "\xC5\x9B"
      "ab" +           // śab
      Bytes({0x00}) +  //
      Bytes({0x01}) +
      Short("Caption") + Bytes({0x12}) + Le32(1) + Bytes({0x5B, 0x01}) +  // ś
      Bytes({0x00}) + Bytes({0x00});
  FeedList list;
  FeedListControl control;
  ReadFeedFile(FileWith(properties, "OtherName"), list, control);
  FeedListControl expected;
  expected.name = "OtherName";
  expected.left = 100000;
  expected.top = -10;
  expected.align = "alClient";
  expected.visible = true;
  expected.read_only = false;
  expected.columns = {{"One", 300},
                      {"", -2},
                      {"\x9C"
                       "ab",
                       50},
                      {"\x9C", 50}};
  EXPECT_EQ(control, expected);

  const std::string written = WriteFeedFile(list, control);
  EXPECT_NE(written.find(Short("Left") + Bytes({0x04}) + Le32(100000)),
            std::string::npos);
  EXPECT_NE(written.find(Short("WidthType") + Bytes({0x01, 0x02, 0xFE, 0x00})),
            std::string::npos);
  EXPECT_NE(written.find(Bytes({0x14}) + Le32(4) +
                         "\xC5\x9B"
                         "ab"),
            std::string::npos);
  EXPECT_NE(written.find(Bytes({0x12}) + Le32(1) + Bytes({0x5B, 0x01})),
            std::string::npos);
  FeedListControl again;
  ReadFeedFile(written, list, again);
  EXPECT_EQ(again, expected);
  EXPECT_EQ(WriteFeedFile(list, again), written);
}

TEST(FeedStreamTest, BlockWithoutFieldImageTableGivesMinusOne) {
  const std::string block = Le32(8 + 21 + 2 + 1) + Le32(1) + Le32(5) + Le32(6) +
                            Le32(7) + Le32(2) + Le32(8) + Short("") +
                            Short("x") + Short("");
  FeedList list;
  ReadFeedFile(FileWith(ItemsData(block)), list,
               *std::make_unique<FeedListControl>());
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Entry(0).image_index, 5);
  EXPECT_EQ(list.Entry(0).data, 8);
  EXPECT_EQ(list.Entry(0).fields, (std::vector<std::string>{"x", ""}));
  EXPECT_EQ(list.Entry(0).field_images, (std::vector<std::int16_t>{-1, -1}));
}

TEST(FeedStreamTest, FailuresCarryTheirMessages) {
  const std::string entry =
      Le32(0) + Le32(0) + Le32(0) + Le32(1) + Le32(0) + Short("n") + Short("f");
  struct Case {
    const char* what;
    std::string file;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"bad signature",
       "TPF1" + Short("TListView") + Short("X") + Bytes({0, 0}),
       "Invalid stream format"},
      {"too short for a signature", "TP", "Stream read error"},
      {"ends in the header", "TPF0" + Short("TListView") + Bytes({5}) + "Ma",
       "Stream read error"},
      {"no end of children", FileWith("").substr(0, FileWith("").size() - 1),
       "Stream read error"},
      {"ends between properties",
       FileWith(Short("Left") + Bytes({2, 1})).substr(0, 30),
       "Stream read error"},
      {"unknown property", FileWith(Short("Bogus") + Bytes({2, 1})),
       "Error reading MainRssList.Bogus: Property Bogus does not exist"},
      {"unknown object in a path", FileWith(Short("Nope.Data") + Bytes({2, 1})),
       "Error reading MainRssList.Data: Property Nope does not exist"},
      {"unknown part of Items", FileWith(Short("Items.Stuff") + Bytes({2, 1})),
       "Error reading MainRssList.Stuff: Property Stuff does not exist"},
      {"text for an integer", FileWith(Short("Left") + Bytes({6, 1, '9'})),
       "Error reading MainRssList.Left: Invalid property value"},
      {"integer for a boolean", FileWith(Short("Visible") + Bytes({2, 1})),
       "Error reading MainRssList.Visible: Invalid property value"},
      {"binary for the columns",
       FileWith(Short("Columns") + Bytes({0x0A}) + Le32(0)),
       "Error reading MainRssList.Columns: Invalid property value"},
      {"unknown column property",
       FileWith(Short("Columns") + Bytes({0x0E, 0x01}) + Short("Colour") +
                Bytes({2, 1, 0, 0})),
       "Error reading MainRssList.Columns: Property Colour does not exist"},
      {"integer for the items", FileWith(Short("Items.Data") + Bytes({2, 1})),
       "Error reading MainRssList.Data: Invalid property value"},
      {"integer cut short",
       FileWith("").substr(0, 26) + Short("Top") + Bytes({3, 1}),
       "Error reading MainRssList.Top: Stream read error"},
      {"binary longer than the file",
       FileWith(Short("Items.Data") + Bytes({0x0A}) + Le32(1000) + Le32(8) +
                Le32(0)),
       "Error reading MainRssList.Data: Stream read error"},
      {"block size beyond the binary", FileWith(ItemsData(Le32(100) + Le32(0))),
       "Error reading MainRssList.Data: Stream read error"},
      {"block size smaller than its own field",
       FileWith(ItemsData(Le32(2) + Le32(0))),
       "Error reading MainRssList.Data: Stream read error"},
      {"block too short for its count", FileWith(ItemsData(Le32(4) + Le32(0))),
       "Error reading MainRssList.Data: Stream read error"},
      {"huge count in a small block",
       FileWith(ItemsData(Le32(20) + Le32(0x7FFFFFFF) + Le32(0) + Le32(0) +
                          Le32(0))),
       "Error reading MainRssList.Data: Stream read error"},
      {"negative count", FileWith(ItemsData(Le32(8) + Le32(0xFFFFFFFF))),
       "Error reading MainRssList.Data: Stream read error"},
      {"records past the block size",
       FileWith(ItemsData(Le32(8 + 21) + Le32(1) + entry)),
       "Error reading MainRssList.Data: Stream read error"},
      {"huge field count",
       FileWith(ItemsData(Le32(8 + 22) + Le32(1) + Le32(0) + Le32(0) + Le32(0) +
                          Le32(0x7FFFFFFF) + Le32(0) + Short(""))),
       "Error reading MainRssList.Data: Stream read error"},
      {"half a field image table",
       FileWith(
           ItemsData(Le32(8 + 23 + 2 + 1) + Le32(1) + entry + Bytes({0xFF}))),
       "Error reading MainRssList.Data: Stream read error"},
      {"invalid object name", FileWith("", "1st"),
       "''1st'' is not a valid component name"},
      {"object name with a blank", FileWith("", "Main List"),
       "''Main List'' is not a valid component name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadError(c.file), c.message) << c.what;
  }
}

TEST(FeedStreamTest, ErrorsNameTheObjectAsRenamed) {
  auto taken = [](std::string_view n) {
    return n == "MainForm" || n == "MainForm_1";
  };
  auto component = [](std::string_view n) { return n == "ChooseButton"; };
  FeedList list;
  FeedListControl control;
  try {
    ReadFeedFile(FileWith(Short("Bogus") + Bytes({2, 1}), "MainForm"), list,
                 control, taken);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(
        e.what(),
        "Error reading MainForm_2.Bogus: Property Bogus does not exist");
  }
  EXPECT_EQ(control.name, "MainForm_2");

  try {
    ReadFeedFile(FileWith("", "ChooseButton"), list, control, taken, component);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "A component named ChooseButton already exists");
  }
  EXPECT_EQ(control.name, "MainForm_2");  // unchanged by the refused file

  // An empty name is allowed and leaves no dot in messages.
  EXPECT_EQ(ReadError(FileWith(Short("Bogus") + Bytes({2, 1}), "")),
            "Error reading Bogus: Property Bogus does not exist");
}

TEST(FeedStreamTest, FailedItemBlockLeavesTheListButEarlierPropertiesStay) {
  FeedList list;
  list.Append("kept", "c", "1", "u");
  FeedListControl control;
  std::string file =
      FileWith(Short("Left") + Bytes({2, 42}) + ItemsData(Le32(100) + Le32(0)));
  EXPECT_NE(ReadError(file, &list, &control), "");
  EXPECT_EQ(control.left, 42);
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Entry(0).name, "kept");

  // A good block followed by a bad property: the block was read and stays.
  FeedList other;
  other.Append("new", "c", "1", "u");
  std::string good = WriteFeedFile(other, FeedListControl());
  std::string broken =
      good.substr(0, good.size() - 2) + Short("Bogus") + Bytes({8, 0, 0});
  EXPECT_NE(ReadError(broken, &list, &control), "");
  EXPECT_EQ(list.entries(), other.entries());
}

TEST(FeedStreamTest, EveryKindOfValueCanBeSteppedOver) {
  // Ignored properties of each kind, then a child object whose properties
  // hold one value of every tag.
  const std::string ignored =
      Short("Hint") + Bytes({0x0C}) + Le32(3) + "abc" +                 //
      Short("Font.Name") + Bytes({0x12}) + Le32(1) + Bytes({'A', 0}) +  //
      Short("Color") + Bytes({0x07}) + Short("clWindow") +              //
      Short("Font.Color") + Bytes({0x04}) + Le32(0xFF) +                //
      Short("Anchors") + Bytes({0x0B}) + Short("akLeft") + Short("akTop") +
      Bytes({0}) + Short("OnClick") + Bytes({0x0D}) +  //
      Short("SortType") + Bytes({0x00});               // Null
  std::string values;
  const std::vector<std::string> every_tag = {
      Bytes({0x01, 0x02, 1, 0x01, 0x00, 0x00}),  // nested lists
      Bytes({0x02, 1}),
      Bytes({0x03, 1, 2}),
      Bytes({0x04, 1, 2, 3, 4}),
      Bytes({0x05, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
      Bytes({0x06, 1, 'x'}),
      Bytes({0x07, 1, 'y'}),
      Bytes({0x08}),
      Bytes({0x09}),
      Bytes({0x0A}) + Le32(2) + "zz",
      Bytes({0x0B, 1, 'a', 0}),
      Bytes({0x0C}) + Le32(1) + "q",
      Bytes({0x0D}),
      Bytes({0x0E, 0x02, 0, 0x01}) + Short("P") + Bytes({0x08, 0, 0}),
      Bytes({0x0F, 1, 2, 3, 4}),
      Bytes({0x10, 1, 2, 3, 4, 5, 6, 7, 8}),
      Bytes({0x11, 1, 2, 3, 4, 5, 6, 7, 8}),
      Bytes({0x12}) + Le32(1) + "ab",
      Bytes({0x13, 1, 2, 3, 4, 5, 6, 7, 8}),
      Bytes({0x14}) + Le32(2) + "ok",
      Bytes({0x00}),
  };
  for (std::size_t i = 0; i < every_tag.size(); ++i) {
    values += Short("P" + std::to_string(i)) + every_tag[i];
  }
  const std::string children = Bytes({0xF2, 0x02, 0x01}) + Short("TPanel") +
                               Short("Inner") + values + Bytes({0x00}) +
                               Bytes({0x00});
  std::string file = "TPF0" + Bytes({0xF0}) + Short("TListView") +
                     Short("MainRssList") + ignored + Short("Top") +
                     Bytes({2, 7}) + Bytes({0x00}) + children + Bytes({0x00});
  FeedList list;
  FeedListControl control;
  ReadFeedFile(file, list, control);
  EXPECT_EQ(control.top, 7);

  // An unknown tag cannot be stepped over.
  std::string bad = "TPF0" + Short("TListView") + Short("MainRssList") +
                    Bytes({0x00}) + Short("TPanel") + Short("Inner") +
                    Short("P") + Bytes({0x15}) + Bytes({0x00, 0x00, 0x00});
  EXPECT_EQ(ReadError(bad), "Invalid property value");
}

TEST(FeedStreamTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  std::string lists(100000, '\x01');
  std::string file = "TPF0" + Short("TListView") + Short("MainRssList") +
                     Bytes({0x00}) + Short("TPanel") + Short("Inner") +
                     Short("P") + lists;
  EXPECT_EQ(ReadError(file), "Invalid property value");

  std::string objects;
  for (int i = 0; i < 100000; ++i)
    objects += Short("T") + Short("") + Bytes({0x00});
  EXPECT_EQ(ReadError("TPF0" + Short("TListView") + Short("MainRssList") +
                      Bytes({0x00}) + objects),
            "Invalid stream format");
}

}  // namespace
}  // namespace rivolet
