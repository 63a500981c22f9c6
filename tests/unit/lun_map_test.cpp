// The LUN number map and its cache records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cficonfiguration.h"
#include "cfipblm.h"
#include "cfistringtool.h"
#include "isolated_install.h"
#include "trace_recorder.h"

using namespace quelb_pdk_4_4;
using testenv::fileExists;
using testenv::readFile;
using testenv::writeFile;

namespace {

const char kSerial[] = "000190101234";
const std::string kDevA = std::string("UDID##EMC##SYMMETRIX##") + kSerial + "##0A1";
const std::string kDevB = std::string("UDID##EMC##SYMMETRIX##") + kSerial + "##0B2";
const std::string kDevC = std::string("UDID##EMC##SYMMETRIX##") + kSerial + "##0C3";

class LunMap : public ::testing::Test {
 protected:
  void SetUp() override { ops.setTraceLog(traces.log()); }

  std::string lunDir(const std::string& enclosure) {
    testenv::makeDirs(install.root() + "CacheFiles/luns/" + enclosure);
    return testenv::nativePath(install.root() + "CacheFiles/luns/" + enclosure + "/");
  }
  static std::string key(int (*getKey)(const tstring&, tstring&), const std::string& identity) {
    tstring path;
    getKey(CFiStringTool::str2tstr(identity), path);
    return CFiStringTool::tstr2str(path);
  }
  std::string lunKey(const std::string& id) { return key(CFiConfigurationPathTool::getLunKey, id); }
  std::string devKey(const std::string& id) { return key(CFiConfigurationPathTool::getDevKey, id); }

  std::vector<int> freeNumbers(const char* enclosure) {
    std::vector<int> numbers;
    ops.getNewValue(enclosure, numbers);
    return numbers;
  }
  int lunAt(const std::string& path) {
    int lun = 99;
    ops.getKeyValue(path.c_str(), lun);
    return lun;
  }

  testenv::IsolatedInstall install;
  testenv::TraceRecorder traces;
  CFiPblmOps ops;
};

TEST_F(LunMap, RangeIsBoundedAndItsMinimumIsNeverProposed) {
  lunDir(kSerial);
  EXPECT_EQ(0, ops.setLunNumRange(0, 300));
  EXPECT_EQ(1, traces.count("CFiPblmOps::setLunNumRange: bounding to higher limit of [254]."));
  std::vector<int> all = freeNumbers(kSerial);
  ASSERT_EQ(255u, all.size());
  EXPECT_EQ(254, all.back());

  ops.setLunNumRange(10, 20);
  std::vector<int> fresh = freeNumbers("SYM2");  // a new map after the first
  EXPECT_EQ((std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}), fresh);
  EXPECT_EQ(fresh, freeNumbers(kSerial));  // the range applies to older maps too

  ops.setLunNumRange(300, 400);  // every position below the minimum: none free, no crash
  EXPECT_TRUE(freeNumbers("SYM3").empty());
  ops.setLunNumRange(30, 20);
  EXPECT_TRUE(freeNumbers(kSerial).empty());
}

TEST_F(LunMap, OnlyTheFirstEnclosureIsLoadedFromItsDirectory) {
  EXPECT_TRUE(freeNumbers("SYM1").empty());  // no directory yet: no map, and nothing sticks
  EXPECT_EQ(1, traces.count("CFiPblmOps::refreshCache opendir failure for path=["));
  EXPECT_EQ(1, traces.count("CFiPblmOps::getNewLunNum No Lun map present on the system."));

  const std::string dir = lunDir("SYM1");
  writeFile(dir + "a", "0");
  writeFile(dir + "b", "2\r\n");
  writeFile(dir + "c", "abc");  // no number: marks nothing (not 0)
  writeFile(dir + "d", "300");  // above the maximum: read, sets nothing
  writeFile(dir + "e", "");     // unreadable: skipped
  testenv::makeDirs(dir + "sub");
  writeFile(lunDir("SYM2") + "a", "5");

  // The directory is taken as named (where the file system tells case apart).
  if (!fileExists(testenv::nativePath(install.root() + "CacheFiles/luns/sym1"))) {
    EXPECT_TRUE(freeNumbers("sym1").empty());
  }
  std::vector<int> numbers = freeNumbers("SYM1");
  ASSERT_EQ(253u, numbers.size());
  EXPECT_EQ((std::vector<int>{1, 3, 4}), std::vector<int>(numbers.begin(), numbers.begin() + 3));
  EXPECT_EQ(2, traces.count("CFiPblmOps::fillBitMap ignore failure in getCacheRecord err=[26]."));
  EXPECT_EQ(numbers, freeNumbers("sym1"));    // once loaded, the map is found in any case
  EXPECT_EQ(0, freeNumbers("SYM2").front());  // not loaded: 5 is free too
  EXPECT_EQ(255u, freeNumbers("SYM2").size());
}

TEST_F(LunMap, RecordsAreWrittenAndReadBoundedAndMarkTheirNumbers) {
  const std::string dir = lunDir("SYM1");
  ops.setLunNumRange(0, 100);
  std::vector<std::string> values{"7"};
  EXPECT_EQ(0, ops.setKeyValue((dir + "a").c_str(), values, "SYM1"));
  EXPECT_EQ("7", readFile(dir + "a"));
  values[0] = "150";  // written, outside the range: not marked
  EXPECT_EQ(0, ops.setKeyValue((dir + "b").c_str(), values, "SYM1"));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.setKeyValue((dir + "c").c_str(), values, nullptr));
  EXPECT_EQ("150", readFile(dir + "c"));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.setKeyValue(nullptr, values, "SYM1"));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG,
            ops.setKeyValue((dir + "d").c_str(), std::vector<std::string>(), "SYM1"));
  EXPECT_FALSE(fileExists(dir + "d"));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_FILE_ERROR,
            ops.setKeyValue((dir + "no/such").c_str(), values, "SYM1"));
  EXPECT_EQ(1,
            traces.count("CFiPblmOps::setKeyValue ERROR: fopen failure file=[" + dir + "no/such]"));
  std::vector<int> numbers = freeNumbers("SYM1");
  EXPECT_EQ(100u, numbers.size());
  EXPECT_EQ(8, numbers[7]);

  writeFile(dir + "long", "12" + std::string(3000, '3'));
  std::vector<std::string> read;
  EXPECT_EQ(0, ops.getKeyValue((dir + "long").c_str(), read));
  EXPECT_EQ(std::vector<std::string>{"12" + std::string(1021, '3')}, read);
  EXPECT_EQ(-1, lunAt(dir + "long"));
  EXPECT_EQ(0, ops.getKeyValue((dir + "none").c_str(), read));
  EXPECT_EQ(1u, read.size());
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.getKeyValue(nullptr, read));
  writeFile(dir + "e", "");
  EXPECT_EQ(CFiPblmOps::FI_PBLM_FILE_ERROR, ops.getKeyValue((dir + "e").c_str(), read));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_FILE_ERROR, ops.getKeyValue(dir.c_str(), read));

  const std::vector<std::pair<std::string, int> > texts{{"42\n", 42}, {"255", 255}, {"256", -1},
                                                        {"-3", -1},   {"abc", -1},  {" 9x", 9}};
  for (const auto& t : texts) {
    writeFile(dir + "n", t.first);
    EXPECT_EQ(t.second, lunAt(dir + "n")) << t.first;
  }
  EXPECT_EQ(-1, lunAt(dir + "none"));
}

TEST_F(LunMap, AFullEnclosureProposesNothing) {
  const std::string dir = lunDir("SYM1");
  for (int n = 0; n <= 254; ++n)
    ASSERT_EQ(0, ops.setKeyValue((dir + std::to_string(n)).c_str(), {std::to_string(n)}, "SYM1"));
  std::vector<std::string> values;
  EXPECT_TRUE(ops.getNewValue("SYM1", values));
  EXPECT_TRUE(values.empty());
  std::vector<int> numbers{1, 2};
  EXPECT_FALSE(ops.getNewValue("SYM1", numbers));
  EXPECT_TRUE(numbers.empty());
  EXPECT_EQ(2, traces.count("CFiPblmOps::getNewValue - Unable to suggest a new LUN Number."));
}

TEST_F(LunMap, RemovingARecordFreesItsNumberOnlyUnderLuns) {
  const std::string dir = lunDir("SYM1");
  writeFile(dir + "a", "5");
  writeFile(dir + "b", "6");
  ASSERT_EQ(253u, freeNumbers("SYM1").size());

  testenv::makeDirs(install.root() + "CacheFiles/other");
  const std::string outside = testenv::nativePath(install.root() + "CacheFiles/other/SYM1_a");
  writeFile(outside, "5");
  EXPECT_EQ(0, ops.rmCacheRecord(outside.c_str()));
  EXPECT_FALSE(fileExists(outside));
  EXPECT_EQ(253u, freeNumbers("SYM1").size());

  EXPECT_EQ(0, ops.rmCacheRecord((dir + "a").c_str()));
  EXPECT_FALSE(fileExists(dir + "a"));
  EXPECT_EQ(5, freeNumbers("SYM1")[5]);
  EXPECT_EQ(1, traces.count("CFiPblmOps::rmCacheRecord has reset lun num [5] in the lun map."));

  ops.setLunNumRange(0, 5);  // 6 is above the maximum now: the record goes, the map stays
  EXPECT_EQ(0, ops.rmCacheRecord((dir + "b").c_str()));
  EXPECT_FALSE(fileExists(dir + "b"));
  ops.setLunNumRange(0, 254);
  EXPECT_EQ(254u, freeNumbers("SYM1").size());

  EXPECT_EQ(0, ops.rmCacheRecord((dir + "none").c_str()));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.rmCacheRecord(""));
  EXPECT_EQ(1, traces.count("INFO:CFiPblmOps::rmCacheRecord - key is empty, nothing to remove."));
}

TEST_F(LunMap, RemovingALunTakesEveryRecordOfItAndTheirDeviceRecords) {
  for (const std::string& id : {kDevA, kDevB, kDevC}) writeFile(devKey(id), "handle");
  writeFile(lunKey(kDevA), "4");
  writeFile(lunKey(kDevB), "4\n");
  writeFile(lunKey(kDevC), "6");
  writeFile(lunDir(kSerial) + "garbage", "4");  // no identity: removed all the same
  ASSERT_EQ(253u, freeNumbers(kSerial).size());

  EXPECT_EQ(0, ops.rmLunCacheRecord(kSerial, 4));
  EXPECT_FALSE(fileExists(lunKey(kDevA)) || fileExists(lunKey(kDevB)));
  EXPECT_FALSE(fileExists(devKey(kDevA)) || fileExists(devKey(kDevB)));
  EXPECT_FALSE(fileExists(lunDir(kSerial) + "garbage"));
  EXPECT_TRUE(fileExists(lunKey(kDevC)) && fileExists(devKey(kDevC)));
  EXPECT_EQ(254u, freeNumbers(kSerial).size());
  EXPECT_EQ(2, traces.count("CFiPblmOps::rmLunPathRecord successfully removed cache record for "
                            "devicepath=[UDID##EMC##SYMMETRIX##"));

  ops.setLunNumRange(5, 100);
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.rmLunCacheRecord(kSerial, 4));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.rmLunCacheRecord(kSerial, 101));
  EXPECT_TRUE(fileExists(lunKey(kDevC)));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_INVALID_ARG, ops.rmLunCacheRecord("", 6));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_SCAN_FAILED, ops.rmLunCacheRecord("SYM9", 6));
  EXPECT_EQ(CFiPblmOps::FI_PBLM_SCAN_FAILED, ops.rmLunCacheRecord("..", 6));
  EXPECT_EQ(2, traces.count("CFiPblmOps::rmLunCacheRecord refreshCache returned failure for lun "
                            "num [6]."));
  EXPECT_TRUE(fileExists(lunKey(kDevC)));
}

TEST_F(LunMap, DeviceKeyedRecordGoesWhenTheLunIsSet) {
  const std::string identity = kDevA + ":p1";
  const std::string dev = devKey(identity);
  writeFile(dev, "handle");
  EXPECT_EQ(
      0, ops.setKeyValue(lunKey(identity).c_str(), CFiStringTool::str2tstr(identity), kSerial, 12));
  EXPECT_FALSE(fileExists(dev));
  EXPECT_EQ("12", readFile(lunKey(identity)));
  EXPECT_EQ(1, traces.count("LUNNO passed to setKeyValue is [12]"));
}

}  // namespace
