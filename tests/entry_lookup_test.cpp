// The see-also look-up finds what a plain scan of both sorted indexes finds,
// whatever the index files hold.
#include "index/entry_lookup.h"

#include <gtest/gtest.h>

#include <random>

#include "index/sort.h"
#include "support/fake_platform.h"

namespace pirvex::testing {
namespace {

std::string randomIndex(std::mt19937& random, std::vector<std::string>& names) {
  const std::string alphabet =
      "AaBb_<>#\"\\ ,\t\r\n\x84"
      "0";
  std::string text;
  int lines = 1 + static_cast<int>(random() % 60);
  for (int i = 0; i < lines; ++i) {
    std::string name;
    int length = static_cast<int>(random() % 4);
    for (int c = 0; c < length; ++c)
      name +=
          "AaBb_\x84"
          "0"[random() % 7];
    names.push_back(name);
    if (random() % 5 == 0) {  // garbage
      for (int c = 0; c < 12; ++c) text += alphabet[random() % alphabet.size()];
    } else {
      text += "<A HREF=\"p" + std::to_string(random() % 3) + "\\x.HTM#" + name +
              "\" TARGET=\"main\">" + name + "</A><BR>\r\n";
    }
  }
  return text;
}

TEST(EntryLookup, AgreesWithScanningBothTables) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    // Probes are item names: they never hold "<", blanks, commas or line ends.
    std::vector<std::string> names{"", "A", "Aa", "x"};
    FakePlatform fake;
    fake.addFile("pirVex/f_ndx.htm", randomIndex(random, names));
    fake.addFile("pirVex/s_ndx.htm", randomIndex(random, names));
    OutputFiles outputs(fake);
    IndexTable procedures, structures;
    ASSERT_EQ(sortIndex(outputs, "pirVEX\\f_ndx.htm", procedures), IndexSort::Sorted);
    ASSERT_EQ(sortIndex(outputs, "pirVEX\\s_ndx.htm", structures), IndexSort::Sorted);
    EntryLookup lookup(fake, procedures, structures);
    for (const std::string& name : names) {
      std::string_view fast, slow;
      bool found = lookup.find(name, fast);
      ASSERT_EQ(found, lookup.findByScanning(name, slow)) << round << " " << name;
      if (found) {
        ASSERT_EQ(fast.data(), slow.data()) << round << " " << name;
        ASSERT_EQ(fast.size(), slow.size()) << round << " " << name;
      }
    }
  }
}

// Every count of distinct names from 1 to 40, split between the two tables
// in three ways, around the sizes at which the table of slots grows (16
// slots up to 10 names, 32 up to 21, 64 up to 42). A table without a free
// slot would make the search for a missing name go round for ever; the
// test's timeout turns that into a failure.
TEST(EntryLookup, FindsEveryNameAndNoOtherAroundTheSlotTableSizes) {
  for (int total = 1; total <= 40; ++total) {
    for (int inProcedures : {0, total / 2, total}) {
      std::string procedureText, structureText;
      for (int i = 0; i < total; ++i) {
        const std::string name = "N" + std::to_string(i);
        (i < inProcedures ? procedureText : structureText) +=
            "<A HREF=\"p.HTM#" + name + "\" TARGET=\"main\">" + name + "</A><BR>\r\n";
      }
      FakePlatform fake;
      OutputFiles outputs(fake);
      fake.addFile("pirVex/f_ndx.htm", procedureText);
      fake.addFile("pirVex/s_ndx.htm", structureText);
      IndexTable procedures, structures;
      EXPECT_EQ(sortIndex(outputs, "pirVEX\\f_ndx.htm", procedures) == IndexSort::Sorted,
                inProcedures > 0);
      EXPECT_EQ(sortIndex(outputs, "pirVEX\\s_ndx.htm", structures) == IndexSort::Sorted,
                inProcedures < total);
      EntryLookup lookup(fake, procedures, structures);
      for (int i = 0; i < total; ++i) {
        const std::string name = "N" + std::to_string(i);
        std::string_view fast, slow;
        ASSERT_TRUE(lookup.find(name, fast)) << total << " " << name;
        ASSERT_TRUE(lookup.findByScanning(name, slow)) << total << " " << name;
        EXPECT_EQ(fast, "<A HREF=\"p.HTM#" + name + "\" TARGET=\"main\">") << total;
        EXPECT_EQ(fast.data(), slow.data()) << total << " " << name;
      }
      for (const std::string& missing : {std::string(), std::string("N"), std::string("n0"),
                                         "N" + std::to_string(total), std::string("M1")}) {
        std::string_view linkTag;
        ASSERT_FALSE(lookup.find(missing, linkTag)) << total << " " << missing;
      }
    }
  }
}

}  // namespace
}  // namespace pirvex::testing
