// Plug-in base operations that work on a node's private data: config,
// reAccessTmpObj, reAccessAltNode, deInitNode, subobjList, setImportOptions.
#include "cfifimlink.h"
#include "cfipluginbase.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

#define FI_BASE_SCOPE(op) \
  CFiTraceLogFunction fiScope(m_traceLog, "quelb_pdk_4_4::CFiPluginBase::" op)

namespace {

// Operations of config.
enum {
  FI_CONFIG_GET_VALUES = 1,
  FI_CONFIG_RESET_VALUES = 3,
  FI_CONFIG_GET_DESCRIPTIONS = 4,
  FI_CONFIG_SET_VALUES = 5
};

// The node is the first member of its group.
bool firstOfGroup(const qlb_domain* node) {
  const qlb_group* group = node->fid_group;
  return group && group->grp_count != 0 && group->grp_members && group->grp_members[0] == node;
}

// A fresh copy for the framework, or null for an empty text.
wchar_t* copyOrNull(const tstring& text) {
  return text.length() == 0 ? nullptr : CFiStringTool::tstrdup(text);
}

}  // namespace

CFiPrivateDataPtr CFiPluginBase::nodePrivateData(qlb_domain* node) const {
  if (!node || !m_privateDataManager) return CFiPrivateDataPtr();
  return m_privateDataManager->get(node);
}

// The confspec's text comes in as the framework's and goes out as a fresh
// copy (or null) that the framework frees; operations 2 and 3 leave it as
// it came. Unknown operations do nothing and return 0.
int CFiPluginBase::config(qlb_domain* node, int operation, char* sessionId, qlb_confspec* spec) {
  FI_BASE_SCOPE("config");
  if (!spec) return QLB_ERR_INVALID_ARG;
  CFiPrivateDataPtr data = nodePrivateData(node);
  if (!data) return QLB_ERR_INVALID_ARG;
  trace(FI_TRACE_INFO, " config str %S \n", spec->cs_text ? spec->cs_text : L"");
  data->setSessionId(sessionId);
  const bool shared = firstOfGroup(node);

  if (spec->cs_selector1 == 0 && spec->cs_selector2 == 0) {
    spec->cs_text = nullptr;
    return 0;
  }
  const int mode = spec->cs_selector1 != 0 ? 1 : 0;

  switch (operation) {
    case FI_CONFIG_GET_VALUES: {
      tstring text;
      if (data->hasConfigDataList(mode)) {
        const CFiConfigParamDataList& values = data->configDataList(mode);
        if (values.size() != 0) text = values.getXML();
      } else if (data->hasConfigInfoList(mode)) {
        const CFiConfigParamInfoList& info = data->configInfoList(mode);
        if (info.size() != 0) {
          data->configDataList(mode) = info.getDefaultDataList();
          text = data->configDataList(mode).getXML();
        }
      } else {
        text = globalConfigInfoList(mode, false).getDefaultDataList().getXML();
      }
      spec->cs_text = copyOrNull(text);
      trace(FI_TRACE_ERROR, "GET: Mode[%d]: %S \n", mode, text.c_str());
      break;
    }
    case FI_CONFIG_RESET_VALUES:
      if (data->hasConfigDataList(mode)) data->configDataList(mode).clear();
      break;
    case FI_CONFIG_GET_DESCRIPTIONS: {
      tstring text;
      if (data->hasConfigInfoList(mode) && data->configInfoList(mode).size() != 0) {
        text = data->configInfoList(mode).getXML();
      } else {
        const CFiConfigParamInfoList& info = globalConfigInfoList(mode, shared);
        if (info.size() != 0) text = info.getXML();
      }
      spec->cs_text = copyOrNull(text);
      trace(FI_TRACE_INFO, "GETPARAM: Mode[%d]: %S \n", mode, text.c_str());
      break;
    }
    case FI_CONFIG_SET_VALUES: {
      if (!spec->cs_text) {
        trace(FI_TRACE_ERROR, "ERROR: SET: Mode[%d], Invalid config string.\n", mode);
        return 0;
      }
      CFiConfigParamDataList& values = data->configDataList(mode);
      int result = values.parse(spec->cs_text);
      if (result != 0) {
        trace(FI_TRACE_ERROR, "ERROR: SET: Mode[%d]: Invalid XML [%S] \n", mode, spec->cs_text);
        spec->cs_text = nullptr;
        return result;
      }
      CFiConfigParamInfoList* info = data->hasConfigInfoList(mode)
                                         ? &data->configInfoList(mode)
                                         : &globalConfigInfoList(mode, false);
      data->addDefaultConfigParamsToDataList(mode, info);
      spec->cs_text = copyOrNull(values.getXML());
      break;
    }
    default:
      break;
  }
  return 0;
}

int CFiPluginBase::reAccessTmpObj(qlb_domain* node, quelb_objid*, char* splitType, qlb_domain*,
                                  char* sessionId, qlb_intent intent) {
  FI_BASE_SCOPE("reAccessTmpObj");
  CFiPrivateDataPtr data = nodePrivateData(node);
  if (!data) return 0;
  data->setIntent(intent);
  data->setSessionId(sessionId);
  data->setSplitType(splitType);
  return 0;
}

int CFiPluginBase::reAccessAltNode(qlb_domain* node, quelb_objid*, quelb_objid*, char* sessionId,
                                   quelb_objid**, quelb_objid**, int, qlb_intent intent) {
  FI_BASE_SCOPE("reAccessAltNode");
  CFiPrivateDataPtr data = nodePrivateData(node);
  if (!data) return 0;
  data->setIntent(intent);
  data->setSessionId(sessionId);
  return 0;
}

void CFiPluginBase::deInitNode(qlb_domain* node) {
  FI_BASE_SCOPE("deInitNode");
  if (!node) return;
  fiFreeFimLinks(node);
  if (m_privateDataManager) m_privateDataManager->remove(node);
}

// The list handed out is the private data's own array: the framework reads
// it and must not free it. Without private data the list is null and the
// count 0.
int CFiPluginBase::subobjList(qlb_domain* node, quelb_objid*** list, int* count) {
  FI_BASE_SCOPE("subobjList");
  if (!list || !count) return QLB_ERR_INVALID_ARG;
  *list = nullptr;
  *count = 0;
  CFiPrivateDataPtr data = nodePrivateData(node);
  if (!data) return 0;
  *list = data->getSubObjectList();
  *count = data->getSubObjectListLength();
  for (int i = 0; i < *count; ++i) {
    quelb_objid* id = (*list)[i];
    trace(FI_TRACE_INFO, "Info: subobjList, list element [%d,%S]", i,
          id && id->qid_text ? id->qid_text : L"");
  }
  return 0;
}

int CFiPluginBase::setImportOptions(qlb_splitnode** list, int count, qlb_host_infn* hosts,
                                    int transportable, void*) {
  FI_BASE_SCOPE("setImportOptions");
  if (!list) return 0;
  for (int i = 0; i < count; ++i) {
    if (!list[i]) continue;
    CFiPrivateDataPtr data = nodePrivateData(list[i]->sn_node);
    if (!data) continue;
    data->setHostList(hosts);
    data->setTransportable(transportable != 0);
  }
  return 0;
}

}  // namespace quelb_pdk_4_4
