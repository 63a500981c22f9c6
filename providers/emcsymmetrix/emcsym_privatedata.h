// CEmcSymPrivateData: the Symmetrix provider's private data of a node, the
// kit's private data plus the two devices a snapshot of the node involves:
// the node's own (source) device and the snapshot target chosen for it.
// Target selection fills both; prepare and make read them, so that the
// later steps of one snapshot need not ask SYMCLI again. The two records
// live only in memory: they are not part of the node state.
#ifndef EMCSYM_PRIVATEDATA_H
#define EMCSYM_PRIVATEDATA_H

#include "cfiprivatedata.h"
#include "emcsym_records.h"

class CEmcSymPrivateData : public quelb_pdk_4_4::CFiPrivateData {
 public:
  CEmcSymPrivateData(const quelb_pdk_4_4::tstring& nodeId, bool isAltNode)
      : CFiPrivateData(nodeId, isAltNode) {}

  void setSourceDevice(const SEmcSymDevInfo& device) { m_sourceDevice = device; }
  void setTargetDevice(const SEmcSymDevInfo& device) { m_targetDevice = device; }
  // The records, modifiable in place; empty until selection sets them.
  SEmcSymDevInfo& sourceDevice() { return m_sourceDevice; }
  SEmcSymDevInfo& targetDevice() { return m_targetDevice; }

 private:
  SEmcSymDevInfo m_sourceDevice;
  SEmcSymDevInfo m_targetDevice;
};

typedef quelb_pdk_4_4::CFiSmartPtr<CEmcSymPrivateData,
                                   quelb_pdk_4_4::CFiNullAllocator<CEmcSymPrivateData> >
    CEmcSymPrivateDataPtr;

#endif  // EMCSYM_PRIVATEDATA_H
