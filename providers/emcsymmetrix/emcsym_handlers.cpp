#include "emcsym_handlers.h"

#include "cfistringtool.h"

using quelb_pdk_4_4::CFiStringTool;

namespace {

// emcSymNormaliseDirector in place: listings name a director for every
// port and login, so no temporary strings.
void normaliseDirectorInPlace(std::string& director) {
  const std::size_t dash = director.find('-');
  if (dash == std::string::npos) return;
  director.erase(0, dash + 1);
  if (director.size() == 2) director.insert(director.begin(), '0');
}

}  // namespace

std::string emcSymNormaliseDirector(const std::string& director) {
  std::string normalised = director;
  normaliseDirectorInPlace(normalised);
  return normalised;
}

// --- CEmcSymOutputHandler ----------------------------------------------------

bool CEmcSymOutputHandler::isText(const XMLCh* name, const char* expected) {
  for (; *expected; ++name, ++expected) {
    if (!sameChar(*name, *expected)) return false;
  }
  return *name == 0;
}

void CEmcSymOutputHandler::readValue(std::string& field) {
  assignUtf8(field, m_attributes->getValue(m_attributeIndex));
}

void CEmcSymOutputHandler::readDirector(std::string& field) {
  readValue(field);
  normaliseDirectorInPlace(field);
}

void CEmcSymOutputHandler::readUnsigned(unsigned& field) {
  // Up to nine decimal digits and nothing else (every number a listing
  // prints) are read straight from the parser's text; any other form goes
  // through the kit's conversion.
  const XMLCh* text = m_attributes->getValue(m_attributeIndex);
  unsigned number = 0;
  std::size_t n = 0;
  for (; text && n < 9 && text[n] >= u'0' && text[n] <= u'9'; ++n) {
    number = number * 10 + static_cast<unsigned>(text[n] - u'0');
  }
  if (n > 0 && text[n] == 0) {
    field = number;
  } else {
    CFiStringTool::str2uint(value(), field);
  }
}

const std::string& CEmcSymOutputHandler::value() {
  assignUtf8(m_value, m_attributes->getValue(m_attributeIndex));
  return m_value;
}

void CEmcSymOutputHandler::startElement(const XMLCh* const, const XMLCh* const,
                                        const XMLCh* const qname,
                                        const xercesc::Attributes& attrs) {
  onStart(qname);
  m_attributes = &attrs;
  const XMLSize_t count = attrs.getLength();
  for (m_attributeIndex = 0; m_attributeIndex < count; ++m_attributeIndex) {
    onAttribute(qname, attrs.getQName(m_attributeIndex));
  }
  m_attributes = nullptr;
  onAttributesDone(qname);
}

void CEmcSymOutputHandler::endElement(const XMLCh* const, const XMLCh* const,
                                      const XMLCh* const qname) {
  onEnd(qname);
  m_text.clear();
}

void CEmcSymOutputHandler::characters(const XMLCh* const chars, const XMLSize_t length) {
  if (m_collectText) CFiSaxParseHandler::characters(chars, length);
}

// --- CEmcSymLockQueryHandler -------------------------------------------------

void CEmcSymLockQueryHandler::onStart(const XMLCh* element) {
  if (!is(element, "Lock")) return;
  m_held = true;
  m_hasNumber = false;
}

void CEmcSymLockQueryHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (!is(element, "Lock")) return;
  if (is(name, "number")) {
    const std::string& number = value();
    m_hasNumber = number != "N/A" && CFiStringTool::str2int(number, m_number) == 0;
  } else if (is(name, "status")) {
    m_held = value() != "Unlocked";
  }
}

void CEmcSymLockQueryHandler::onAttributesDone(const XMLCh* element) {
  if (is(element, "Lock") && m_held && m_hasNumber) m_result.insert(m_number);
}

// --- CEmcSymMirQueryHandler --------------------------------------------------

void CEmcSymMirQueryHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (is(element, "Device")) {
    if (is(name, "symmetrix")) readValue(m_pair.symid);
  } else if (is(element, "BCV_Pair")) {
    if (is(name, "state")) readValue(m_pair.pairState);
  } else if (is(element, "STD")) {
    if (is(name, "dev_name")) readValue(m_pair.stdDevName);
  } else if (is(element, "BCV")) {
    if (is(name, "dev_name")) readValue(m_pair.bcvDevName);
  }
}

void CEmcSymMirQueryHandler::onEnd(const XMLCh* element) {
  if (is(element, "BCV_Pair")) m_result.push_back(m_pair);
}

// --- CEmcSymMaskdbListDatabaseHandler ----------------------------------------

void CEmcSymMaskdbListDatabaseHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (!isNoCase(element, "Db_Record") || !isNoCase(name, "awwn_node_name")) return;
  const std::string& node = value();
  if (m_seen.insert(node).second) m_result.push_back(node);
}

// --- CEmcSymVersionHandler ---------------------------------------------------

void CEmcSymVersionHandler::onStart(const XMLCh*) { m_text.clear(); }

void CEmcSymVersionHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (is(element, "SYMCLI") && is(name, "version")) readValue(m_result);
}

void CEmcSymVersionHandler::onEnd(const XMLCh* element) {
  if (is(element, "version")) m_result = m_text;
}

// --- CEmcSymCfgListHandler ---------------------------------------------------

void CEmcSymCfgListHandler::startDocument() { m_result.clear(); }

void CEmcSymCfgListHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (!is(element, "Symmetrix")) return;
  if (is(name, "id") || is(name, "symid")) {
    readValue(m_array.symid);
  } else if (is(name, "model")) {
    readValue(m_array.model);
  } else if (is(name, "microcode_version")) {
    readValue(m_array.microcodeVersion);
  } else if (is(name, "attachment") && value() != "Local") {
    m_array.local = false;
  }
}

void CEmcSymCfgListHandler::onEnd(const XMLCh* element) {
  if (!is(element, "Symmetrix")) return;
  if (m_array.local) m_result.push_back(m_array);
  m_array.local = true;
}

// --- CEmcSymMaskDiskHandler --------------------------------------------------

void CEmcSymMaskDiskHandler::onStart(const XMLCh* element) {
  if (isNoCase(element, "Disk")) m_disk = SEmcSymDiskInfo();
}

void CEmcSymMaskDiskHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (!isNoCase(element, "Disk")) return;
  if (isNoCase(name, "ident")) {
    readValue(m_disk.ident);
  } else if (isNoCase(name, "megabytes")) {
    readValue(m_disk.megabytes);
  } else if (isNoCase(name, "avail_megabytes")) {
    readValue(m_disk.availMegabytes);
  }
}

void CEmcSymMaskDiskHandler::onEnd(const XMLCh* element) {
  if (isNoCase(element, "Disk")) m_result.push_back(m_disk);
}

// --- CEmcSymMaskHbaHandler ---------------------------------------------------

void CEmcSymMaskHbaHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (isNoCase(element, "Symmetrix")) {
    if (is(name, "id") || is(name, "symid")) readValue(m_hba.symid);
  } else if (isNoCase(element, "Host_HBA")) {
    if (isNoCase(name, "WWN")) {
      readValue(m_hba.wwn);
    } else if (isNoCase(name, "awwn_node_name")) {
      readValue(m_hba.hostNodeName);
    } else if (isNoCase(name, "awwn_port_name")) {
      readValue(m_hba.hostPortName);
    }
  }
}

void CEmcSymMaskHbaHandler::onEnd(const XMLCh* element) {
  if (isNoCase(element, "Host_HBA")) m_result.push_back(m_hba);
}

// --- CEmcSymMaskdbListAssignmentHandler --------------------------------------

void CEmcSymMaskdbListAssignmentHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (isNoCase(element, "Symmetrix")) {
    if (is(name, "id") || is(name, "symid")) readValue(m_symid);
  } else if (isNoCase(element, "Device")) {
    if (is(name, "Director")) {
      readDirector(m_assignment.director);
    } else if (is(name, "Port")) {
      readValue(m_assignment.port);
    } else if (is(name, "port_wwn")) {
      readValue(m_assignment.portWwn);
    } else if (is(name, "number")) {
      readValue(m_assignment.devNumber);
    }
  }
}

void CEmcSymMaskdbListAssignmentHandler::onEnd(const XMLCh* element) {
  if (!isNoCase(element, "Device")) return;
  m_assignment.symid = m_symid;
  m_result.push_back(m_assignment);
}

// --- CEmcSymDevShowHandler ---------------------------------------------------

CEmcSymDevShowHandler::Kind CEmcSymDevShowHandler::kindOf(const XMLCh* element) {
  // Sorted by first letter: a listing has several elements per device.
  switch (element[0]) {
    case u'D':
      return is(element, "Device") ? DEVICE : OTHER;
    case u'P':
      return is(element, "Port") ? PORT : OTHER;
    case u'C':
      return is(element, "Capacity") ? CAPACITY : is(element, "CLONE_Device") ? CLONE : OTHER;
    case u'B':
      return is(element, "BCV_Pair") ? PAIR : is(element, "BCV") ? BCV : OTHER;
    case u'S':
      if (is(element, "STD")) return STD;
      if (is(element, "SRC")) return SRC;
      if (is(element, "SNAP_Device")) return SNAP;
      return is(element, "Symmetrix") ? SYMMETRIX : OTHER;
    case u'T':
      return is(element, "TGT") ? TGT : OTHER;
    case u'M':
      return is(element, "Meta") ? META : OTHER;
    default:
      return OTHER;
  }
}

void CEmcSymDevShowHandler::copyInherited(const SEmcSymDevInfo& from, SEmcSymDevInfo& to) {
  to.symid = from.symid;
  to.pdName = from.pdName;
  to.ldName = from.ldName;
  to.devName = from.devName;
  to.devGroup = from.devGroup;
  to.status = from.status;
  to.attachedBcv = from.attachedBcv;
  to.capacityMegabytes = from.capacityMegabytes;
  to.deviceMark = from.deviceMark;
  to.note = from.note;
}

SEmcSymDevInfo& CEmcSymDevShowHandler::current() {
  if (m_open) return *m_open;
  if (!m_scratchReady) {
    m_scratch = SEmcSymDevInfo();
    if (!m_result.empty()) copyInherited(m_result.back(), m_scratch);
    m_scratchReady = true;
  }
  return m_scratch;
}

void CEmcSymDevShowHandler::onStart(const XMLCh* element) {
  m_kind = m_inMeta ? OTHER : kindOf(element);
  switch (m_kind) {
    case META:
      m_inMeta = true;
      m_kind = OTHER;
      break;
    case DEVICE: {
      // The record is built where it will stay; it starts with what the
      // previous device left (its lists empty), or what was read since.
      const bool fromScratch = !m_open && m_scratchReady;
      const SEmcSymDevInfo* previous = m_result.empty() ? nullptr : &m_result.back();
      SEmcSymDevInfo& next = m_result.emplace_back();
      m_inheritFrom = fromScratch ? &m_scratch : previous;
      if (m_inheritFrom) {
        next.symid = m_inheritFrom->symid;
        next.capacityMegabytes = m_inheritFrom->capacityMegabytes;
        next.deviceMark = m_inheritFrom->deviceMark;
        if (!m_inheritFrom->note.empty()) next.note = m_inheritFrom->note;
      }
      m_deviceFieldsSet = 0;
      m_open = &next;
      m_scratchReady = false;
      break;
    }
    case CLONE:
      m_inClone = true;
      m_inSnap = false;
      break;
    case SNAP:
      m_inSnap = true;
      m_inClone = false;
      break;
    default:
      break;
  }
}

void CEmcSymDevShowHandler::onAttribute(const XMLCh*, const XMLCh* name) {
  switch (m_kind) {
    case SYMMETRIX:
      if (is(name, "id") || is(name, "symid")) readValue(current().symid);
      break;
    case CAPACITY:
      if (is(name, "megabytes")) readUnsigned(current().capacityMegabytes);
      break;
    case DEVICE: {
      // By first letter: a listing has many attributes per device.
      SEmcSymDevInfo& device = *m_open;
      switch (name[0]) {
        case u'p':
          if (is(name, "pd_name")) readDeviceField(device.pdName, kPdName);
          break;
        case u'l':
          if (is(name, "ld_name")) readDeviceField(device.ldName, kLdName);
          break;
        case u'd':
          if (is(name, "dev_name")) {
            readDeviceField(device.devName, kDevName);
          } else if (is(name, "device_group")) {
            readDeviceField(device.devGroup, kDevGroup);
          }
          break;
        case u's':
          if (is(name, "status")) readDeviceField(device.status, kStatus);
          break;
        case u'a':
          if (is(name, "attached_bcv")) readDeviceField(device.attachedBcv, kAttachedBcv);
          break;
        default:
          break;
      }
      break;
    }
    case PORT:
      if (isNoCase(name, "director")) {
        readDirector(m_portDirector);
      } else if (isNoCase(name, "port")) {
        readValue(m_port);
      }
      break;
    case CLONE:
    case SNAP: {
      SEmcSymSessionInfo& session = m_kind == CLONE ? m_clone : m_snap;
      if (is(name, "state")) {
        readValue(session.state);
      } else if (is(name, "last_action")) {
        readValue(session.lastAction);
      } else if (m_kind == CLONE ? is(name, "clone_state_flags") : is(name, "snap_state_flags")) {
        readValue(session.stateFlags);
      } else if (is(name, "percent_copied")) {
        readValue(session.percentCopied);
      }
      break;
    }
    case SRC:
    case TGT:
      if (is(name, "dev_name") && (m_inClone || m_inSnap)) {
        SEmcSymSessionInfo& session = m_inClone ? m_clone : m_snap;
        readValue(m_kind == SRC ? session.srcDevName : session.tgtDevName);
      }
      break;
    case PAIR:
      if (is(name, "state")) {
        readValue(m_pair.pairState);
      } else if (is(name, "last_action")) {
        readValue(m_pair.lastAction);
      } else if (is(name, "state_flags")) {
        readValue(m_pair.stateFlags);
      }
      break;
    case STD:
    case BCV: {
      bool standard = m_kind == STD;
      if (is(name, "dev_name")) {
        readValue(standard ? m_pair.stdDevName : m_pair.bcvDevName);
      } else if (is(name, "dgroup")) {
        readValue(standard ? m_pair.stdDevGroup : m_pair.bcvDevGroup);
      } else if (is(name, "status")) {
        readValue(standard ? m_pair.stdDevStatus : m_pair.bcvDevStatus);
      } else if (is(name, "invalids")) {
        readValue(standard ? m_pair.stdDevInvalids : m_pair.bcvDevInvalids);
      }
      break;
    }
    default:
      break;
  }
}

void CEmcSymDevShowHandler::readDeviceField(std::string& field, unsigned bit) {
  readValue(field);
  m_deviceFieldsSet |= bit;
}

void CEmcSymDevShowHandler::onAttributesDone(const XMLCh*) {
  if (m_kind == PORT) current().ports[m_portDirector].push_back(m_port);
  if (m_kind != DEVICE || !m_inheritFrom) return;
  // The identity fields the Device element did not give are the previous
  // device's (copied only now: a listing gives them all).
  SEmcSymDevInfo& device = *m_open;
  const SEmcSymDevInfo& from = *m_inheritFrom;
  if (!(m_deviceFieldsSet & kPdName)) device.pdName = from.pdName;
  if (!(m_deviceFieldsSet & kLdName)) device.ldName = from.ldName;
  if (!(m_deviceFieldsSet & kDevName)) device.devName = from.devName;
  if (!(m_deviceFieldsSet & kDevGroup)) device.devGroup = from.devGroup;
  if (!(m_deviceFieldsSet & kStatus)) device.status = from.status;
  if (!(m_deviceFieldsSet & kAttachedBcv)) device.attachedBcv = from.attachedBcv;
  m_inheritFrom = nullptr;
}

void CEmcSymDevShowHandler::onEnd(const XMLCh* element) {
  if (m_inMeta) {
    if (is(element, "Meta")) m_inMeta = false;
    return;
  }
  switch (kindOf(element)) {
    case DEVICE:
      // Every end of a Device appends a record: the one built since its
      // start, or (for a Device ended inside another) a copy of what was read.
      if (m_open) {
        m_open = nullptr;
      } else {
        SEmcSymDevInfo copy = current();
        m_result.push_back(std::move(copy));
      }
      break;
    case PAIR:
      current().pairs.push_back(m_pair);
      break;
    case CLONE:
      current().clones.push_back(m_clone);
      m_inClone = false;
      break;
    case SNAP:
      current().snaps.push_back(m_snap);
      m_inSnap = false;
      break;
    default:
      break;
  }
}

// --- CEmcSymMaskListLoginHandler ---------------------------------------------

void CEmcSymMaskListLoginHandler::onStart(const XMLCh* element) {
  if (isNoCase(element, "Login")) {
    m_kind = LOGIN;
  } else if (isNoCase(element, "Devmask_Login_Record")) {
    m_kind = RECORD;
  } else if (isNoCase(element, "Symmetrix")) {
    m_kind = SYMMETRIX;
  } else {
    m_kind = OTHER;
  }
}

void CEmcSymMaskListLoginHandler::onAttribute(const XMLCh*, const XMLCh* name) {
  switch (m_kind) {
    case SYMMETRIX:
      if (isNoCase(name, "id") || isNoCase(name, "symid")) readValue(m_symid);
      break;
    case RECORD:
      if (isNoCase(name, "director")) {
        readDirector(m_directorPort.director);
      } else if (isNoCase(name, "port")) {
        readValue(m_directorPort.port);
      }
      break;
    case LOGIN:
      // Dispatched on the first letter: a listing has thousands of logins.
      switch (name[0] | 0x20) {
        case u'a':
          if (isNoCase(name, "awwn_node_name")) {
            readValue(m_nodeName);
          } else if (isNoCase(name, "awwn_port_name")) {
            readValue(m_login.awwnPortName);
          }
          break;
        case u'o':
          if (isNoCase(name, "originator_port_wwn")) {
            readValue(m_login.originatorPortWwn);
          } else if (isNoCase(name, "On_Fabric")) {
            if (value().find("Yes") != std::string::npos) m_login.onFabric = true;
          }
          break;
        case u't':
          if (isNoCase(name, "type")) readValue(m_login.type);
          break;
        case u'l':
          if (isNoCase(name, "Logged_in")) {
            if (value().find("Yes") != std::string::npos) m_login.loggedIn = true;
          }
          break;
        default:
          break;
      }
      break;
    default:
      break;
  }
}

void CEmcSymMaskListLoginHandler::onEnd(const XMLCh* element) {
  if (!isNoCase(element, "Login")) return;
  if (m_nodeName.empty() || m_nodeName == "NULL" || m_nodeName == m_login.originatorPortWwn ||
      m_login.type != "Fibre") {
    return;
  }
  // Logins of one host tend to follow each other.
  if (!m_lastHost || m_lastHost->hostNodeName != m_nodeName) {
    m_lastHost = &m_result[m_nodeName];
  }
  SEmcSymMaskHostInfo& host = *m_lastHost;
  host.symid = m_symid;
  host.hostNodeName = m_nodeName;
  auto slot = host.logins.try_emplace(m_login.originatorPortWwn);
  SEmcSymMaskHbaInfo& login = slot.first->second;
  if (!slot.second) {
    login.directorPorts.push_back(m_directorPort);  // seen before on another port
    return;
  }
  login = m_login;
  login.directorPorts.assign(1, m_directorPort);
}

// --- CEmcSymMaskDbHandler ----------------------------------------------------

void CEmcSymMaskDbHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (!is(element, "Db_Record")) return;
  if (is(name, "awwn_node_name")) {
    readValue(m_node);
  } else if (is(name, "awwn_port_name")) {
    readValue(m_port);
  }
}

void CEmcSymMaskDbHandler::onEnd(const XMLCh* element) {
  if (is(element, "Db_Record")) m_result[m_node].push_back(m_port);
}

// --- CEmcSymSessionQueryHandler ----------------------------------------------

void CEmcSymSessionQueryHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (is(element, "Session")) {
    if (isText(name, m_stateAttribute)) readValue(m_result.state);
  } else if (is(element, "Source")) {
    if (is(name, "dev_name")) readValue(m_result.srcDevName);
  } else if (is(element, "Target")) {
    if (is(name, "dev_name")) readValue(m_result.tgtDevName);
  }
}

// --- CEmcSymMaskdbListCapacityHandler ----------------------------------------

void CEmcSymMaskdbListCapacityHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (isNoCase(element, "Originator_port") && isNoCase(name, "wwn")) readValue(m_wwn);
}

void CEmcSymMaskdbListCapacityHandler::onEnd(const XMLCh* element) {
  if (isNoCase(element, "Originator_port")) m_result.push_back(m_wwn);
}

// --- CEmcSymCfgListConnectionHandler -----------------------------------------

void CEmcSymCfgListConnectionHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (isNoCase(element, "Host")) {
    if (is(name, "address")) readValue(m_host);
  } else if (isNoCase(element, "Connection")) {
    if (is(name, "director")) {
      readDirector(m_directorPort.director);
    } else if (isNoCase(name, "port")) {
      readValue(m_directorPort.port);
    }
  }
}

void CEmcSymCfgListConnectionHandler::onEnd(const XMLCh* element) {
  if (isNoCase(element, "Connection")) {
    m_current.push_back(m_directorPort);
  } else if (isNoCase(element, "Host")) {
    std::vector<SEmcSymDirectorPort>& list = m_result[m_host];
    list.insert(list.end(), m_current.begin(), m_current.end());
    m_current.clear();
  }
}

// --- CEmcSymMaskListHbaHandler -----------------------------------------------

void CEmcSymMaskListHbaHandler::onAttribute(const XMLCh* element, const XMLCh* name) {
  if (isNoCase(element, "Host_HBA")) {
    if (is(name, "WWN")) readValue(m_wwn);
  } else if (isNoCase(element, "Port")) {
    if (is(name, "director")) {
      readValue(m_directorPort.director);
    } else if (is(name, "port")) {
      readValue(m_directorPort.port);
    }
  }
}

void CEmcSymMaskListHbaHandler::onEnd(const XMLCh* element) {
  if (isNoCase(element, "Port")) {
    m_current.push_back(m_directorPort);
  } else if (isNoCase(element, "Host_HBA")) {
    std::vector<SEmcSymDirectorPort>& list = m_result[m_wwn];
    list.insert(list.end(), m_current.begin(), m_current.end());
    m_current.clear();
  }
}
