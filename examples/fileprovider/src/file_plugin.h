// CFileProviderPlugin: a complete, small provider for an imaginary array
// whose devices are files listed in a text file (DeviceTable). It offers
// one snapshot method, "Example_FileCopy", that copies a source device's
// data file onto the target device's.
//
// The kit does the framework's side: CFiPluginInterposer claims the nodes
// whose identity starts with "UDID##EXAMPLE##FILEARRAY##", attaches private
// data to them and keeps the configured snapshot target; CFiPluginBase
// answers every operation this class does not override.
#ifndef FILEPROVIDER_FILE_PLUGIN_H
#define FILEPROVIDER_FILE_PLUGIN_H

#include <quelb/pdk/cfiicucatalog.h>
#include <quelb/pdk/cfiplugininterposer.h>
#include <unicode/fmtable.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "device_table.h"

namespace fileprovider {

class CFileProviderPlugin : public quelb_pdk_4_4::CFiPluginInterposer {
 public:
  CFileProviderPlugin();
  ~CFileProviderPlugin() override;

  // Registers the message bundle, the private data of nodes, the snapshot
  // method and its configuration parameter. The array is read later, by the
  // first operation that needs it (delayedInit).
  int init() override;
  // Reads the device file named by DEVICEFILE in [ARRAY] of
  // ConfigFiles/fileprovider.conf. 30 (after a message) when it is missing
  // or cannot be read.
  int delayedInit() override;

  int getProviderInfo(qlb_provider_list** result) override;
  int enumerateFims(qlb_fim_list** result) override;
  int enumerateEnclosures(qlb_enclosure_node_list** result, int* count, wchar_t* filter) override;
  int enumerateNodes(qlb_node_list** result, int* count, int flags, wchar_t* filter) override;

  // The snapshot, in list form: select checks each claimed node's configured
  // target, prepare has nothing to do, make copies the data files and hands
  // back the targets' identities as the snapshots.
  int select(char* sessionId, qlb_splitnode** list, int count) override;
  int prepare(char* sessionId, qlb_splitnode** list, int count, int value) override;
  int make(char* sessionId, qlb_splitnode** list, int count, quelb_objid*** out,
           int* outCount) override;

 private:
  // The source and target devices of a claimed node whose target select
  // accepted; false (after a message) otherwise.
  bool pairOf(qlb_splitnode* split, const Device*& source, const Device*& target);
  void pushMessage(const char* id, std::initializer_list<icu::Formattable> arguments, int line);

  DeviceTable m_devices;
  std::unique_ptr<quelb_pdk_4_4::CFiIcuMessageCatalogFactory> m_catalogFactory;
};

}  // namespace fileprovider

#endif  // FILEPROVIDER_FILE_PLUGIN_H
