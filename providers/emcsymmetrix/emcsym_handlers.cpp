#include "emcsym_handlers.h"

#include "cfistringtool.h"

using quelb_pdk_4_4::CFiStringTool;

std::string emcSymNormaliseDirector(const std::string& director) {
  std::size_t dash = director.find('-');
  if (dash == std::string::npos) return director;
  std::string part = director.substr(dash + 1);
  return part.size() == 2 ? "0" + part : part;
}

// --- CEmcSymOutputHandler ----------------------------------------------------

bool CEmcSymOutputHandler::isNoCase(const std::string& name, const char* expected) {
  return CFiStringTool::CompareNoCase(name, std::string(expected));
}

void CEmcSymOutputHandler::startElement(const XMLCh* const, const XMLCh* const,
                                        const XMLCh* const qname,
                                        const xercesc::Attributes& attrs) {
  assignUtf8(m_element, qname);
  onStart(m_element);
  const XMLSize_t count = attrs.getLength();
  for (XMLSize_t i = 0; i < count; ++i) {
    assignUtf8(m_attrName, attrs.getQName(i));
    assignUtf8(m_attrValue, attrs.getValue(i));
    onAttribute(m_element, m_attrName, m_attrValue);
  }
  onAttributesDone(m_element);
}

void CEmcSymOutputHandler::endElement(const XMLCh* const, const XMLCh* const,
                                      const XMLCh* const qname) {
  assignUtf8(m_element, qname);
  onEnd(m_element);
  m_text.clear();
}

// --- CEmcSymLockQueryHandler -------------------------------------------------

const std::set<int>& CEmcSymLockQueryHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymLockQueryHandler::onStart(const std::string& element) {
  if (!is(element, "Lock")) return;
  m_held = true;
  m_hasNumber = false;
}

void CEmcSymLockQueryHandler::onAttribute(const std::string& element, const std::string& name,
                                          const std::string& value) {
  if (!is(element, "Lock")) return;
  if (is(name, "number")) {
    m_hasNumber = value != "N/A" && CFiStringTool::str2int(value, m_number) == 0;
  } else if (is(name, "status")) {
    m_held = value != "Unlocked";
  }
}

void CEmcSymLockQueryHandler::onAttributesDone(const std::string& element) {
  if (is(element, "Lock") && m_held && m_hasNumber) m_result.insert(m_number);
}

// --- CEmcSymMirQueryHandler --------------------------------------------------

const std::vector<SEmcSymPairInfo>& CEmcSymMirQueryHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMirQueryHandler::onAttribute(const std::string& element, const std::string& name,
                                         const std::string& value) {
  if (is(element, "Device")) {
    if (is(name, "symmetrix")) m_pair.symid = value;
  } else if (is(element, "BCV_Pair")) {
    if (is(name, "state")) m_pair.pairState = value;
  } else if (is(element, "STD")) {
    if (is(name, "dev_name")) m_pair.stdDevName = value;
  } else if (is(element, "BCV")) {
    if (is(name, "dev_name")) m_pair.bcvDevName = value;
  }
}

void CEmcSymMirQueryHandler::onEnd(const std::string& element) {
  if (is(element, "BCV_Pair")) m_result.push_back(m_pair);
}

// --- CEmcSymMaskdbListDatabaseHandler ----------------------------------------

const std::vector<std::string>& CEmcSymMaskdbListDatabaseHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskdbListDatabaseHandler::onAttribute(const std::string& element,
                                                   const std::string& name,
                                                   const std::string& value) {
  if (!isNoCase(element, "Db_Record") || !isNoCase(name, "awwn_node_name")) return;
  for (const std::string& known : m_result) {
    if (known == value) return;
  }
  m_result.push_back(value);
}

// --- CEmcSymVersionHandler ---------------------------------------------------

const std::string& CEmcSymVersionHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymVersionHandler::onStart(const std::string&) { m_text.clear(); }

void CEmcSymVersionHandler::onAttribute(const std::string& element, const std::string& name,
                                        const std::string& value) {
  if (is(element, "SYMCLI") && is(name, "version")) m_result = value;
}

void CEmcSymVersionHandler::onEnd(const std::string& element) {
  if (is(element, "version")) m_result = m_text;
}

// --- CEmcSymCfgListHandler ---------------------------------------------------

void CEmcSymCfgListHandler::startDocument() { m_result.clear(); }

const std::vector<SEmcSymArrayInfo>& CEmcSymCfgListHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymCfgListHandler::onAttribute(const std::string& element, const std::string& name,
                                        const std::string& value) {
  if (!is(element, "Symmetrix")) return;
  if (is(name, "id") || is(name, "symid")) {
    m_array.symid = value;
  } else if (is(name, "model")) {
    m_array.model = value;
  } else if (is(name, "microcode_version")) {
    m_array.microcodeVersion = value;
  } else if (is(name, "attachment") && value != "Local") {
    m_array.local = false;
  }
}

void CEmcSymCfgListHandler::onEnd(const std::string& element) {
  if (!is(element, "Symmetrix")) return;
  if (m_array.local) m_result.push_back(m_array);
  m_array.local = true;
}

// --- CEmcSymMaskDiskHandler --------------------------------------------------

const std::vector<SEmcSymDiskInfo>& CEmcSymMaskDiskHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskDiskHandler::onStart(const std::string& element) {
  if (isNoCase(element, "Disk")) m_disk = SEmcSymDiskInfo();
}

void CEmcSymMaskDiskHandler::onAttribute(const std::string& element, const std::string& name,
                                         const std::string& value) {
  if (!isNoCase(element, "Disk")) return;
  if (isNoCase(name, "ident")) {
    m_disk.ident = value;
  } else if (isNoCase(name, "megabytes")) {
    m_disk.megabytes = value;
  } else if (isNoCase(name, "avail_megabytes")) {
    m_disk.availMegabytes = value;
  }
}

void CEmcSymMaskDiskHandler::onEnd(const std::string& element) {
  if (isNoCase(element, "Disk")) m_result.push_back(m_disk);
}

// --- CEmcSymMaskHbaHandler ---------------------------------------------------

const std::vector<SEmcSymHbaInfo>& CEmcSymMaskHbaHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskHbaHandler::onAttribute(const std::string& element, const std::string& name,
                                        const std::string& value) {
  if (isNoCase(element, "Symmetrix")) {
    if (is(name, "id") || is(name, "symid")) m_hba.symid = value;
  } else if (isNoCase(element, "Host_HBA")) {
    if (isNoCase(name, "WWN")) {
      m_hba.wwn = value;
    } else if (isNoCase(name, "awwn_node_name")) {
      m_hba.hostNodeName = value;
    } else if (isNoCase(name, "awwn_port_name")) {
      m_hba.hostPortName = value;
    }
  }
}

void CEmcSymMaskHbaHandler::onEnd(const std::string& element) {
  if (isNoCase(element, "Host_HBA")) m_result.push_back(m_hba);
}

// --- CEmcSymMaskdbListAssignmentHandler --------------------------------------

const std::vector<SEmcSymAssignment>& CEmcSymMaskdbListAssignmentHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskdbListAssignmentHandler::onAttribute(const std::string& element,
                                                     const std::string& name,
                                                     const std::string& value) {
  if (isNoCase(element, "Symmetrix")) {
    if (is(name, "id") || is(name, "symid")) m_symid = value;
  } else if (isNoCase(element, "Device")) {
    if (is(name, "Director")) {
      m_assignment.director = emcSymNormaliseDirector(value);
    } else if (is(name, "Port")) {
      m_assignment.port = value;
    } else if (is(name, "port_wwn")) {
      m_assignment.portWwn = value;
    } else if (is(name, "number")) {
      m_assignment.devNumber = value;
    }
  }
}

void CEmcSymMaskdbListAssignmentHandler::onEnd(const std::string& element) {
  if (!isNoCase(element, "Device")) return;
  m_assignment.symid = m_symid;
  m_result.push_back(m_assignment);
}

// --- CEmcSymDevShowHandler ---------------------------------------------------

const std::vector<SEmcSymDevInfo>& CEmcSymDevShowHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymDevShowHandler::onStart(const std::string& element) {
  if (m_inMeta) return;
  if (is(element, "Meta")) {
    m_inMeta = true;
  } else if (is(element, "Device")) {
    m_device.pairs.clear();
    m_device.clones.clear();
    m_device.snaps.clear();
    m_device.ports.clear();
  } else if (is(element, "CLONE_Device")) {
    m_inClone = true;
    m_inSnap = false;
  } else if (is(element, "SNAP_Device")) {
    m_inSnap = true;
    m_inClone = false;
  }
}

void CEmcSymDevShowHandler::onAttribute(const std::string& element, const std::string& name,
                                        const std::string& value) {
  if (m_inMeta) return;
  if (is(element, "Symmetrix")) {
    if (is(name, "id") || is(name, "symid")) m_device.symid = value;
  } else if (is(element, "Capacity")) {
    if (is(name, "megabytes")) CFiStringTool::str2uint(value, m_device.capacityMegabytes);
  } else if (is(element, "Device")) {
    if (is(name, "pd_name")) {
      m_device.pdName = value;
    } else if (is(name, "ld_name")) {
      m_device.ldName = value;
    } else if (is(name, "dev_name")) {
      m_device.devName = value;
    } else if (is(name, "device_group")) {
      m_device.devGroup = value;
    } else if (is(name, "status")) {
      m_device.status = value;
    } else if (is(name, "attached_bcv")) {
      m_device.attachedBcv = value;
    }
  } else if (is(element, "Port")) {
    if (isNoCase(name, "director")) {
      m_portDirector = emcSymNormaliseDirector(value);
    } else if (isNoCase(name, "port")) {
      m_port = value;
    }
  } else if (is(element, "CLONE_Device") || is(element, "SNAP_Device")) {
    bool clone = is(element, "CLONE_Device");
    SEmcSymSessionInfo& session = clone ? m_clone : m_snap;
    if (is(name, "state")) {
      session.state = value;
    } else if (is(name, "last_action")) {
      session.lastAction = value;
    } else if (is(name, clone ? "clone_state_flags" : "snap_state_flags")) {
      session.stateFlags = value;
    } else if (is(name, "percent_copied")) {
      session.percentCopied = value;
    }
  } else if (is(element, "SRC") || is(element, "TGT")) {
    if (!is(name, "dev_name") || !(m_inClone || m_inSnap)) return;
    SEmcSymSessionInfo& session = m_inClone ? m_clone : m_snap;
    (is(element, "SRC") ? session.srcDevName : session.tgtDevName) = value;
  } else if (is(element, "BCV_Pair")) {
    if (is(name, "state")) {
      m_pair.pairState = value;
    } else if (is(name, "last_action")) {
      m_pair.lastAction = value;
    } else if (is(name, "state_flags")) {
      m_pair.stateFlags = value;
    }
  } else if (is(element, "STD") || is(element, "BCV")) {
    bool standard = is(element, "STD");
    if (is(name, "dev_name")) {
      (standard ? m_pair.stdDevName : m_pair.bcvDevName) = value;
    } else if (is(name, "dgroup")) {
      (standard ? m_pair.stdDevGroup : m_pair.bcvDevGroup) = value;
    } else if (is(name, "status")) {
      (standard ? m_pair.stdDevStatus : m_pair.bcvDevStatus) = value;
    } else if (is(name, "invalids")) {
      (standard ? m_pair.stdDevInvalids : m_pair.bcvDevInvalids) = value;
    }
  }
}

void CEmcSymDevShowHandler::onAttributesDone(const std::string& element) {
  if (!m_inMeta && is(element, "Port")) m_device.ports[m_portDirector].push_back(m_port);
}

void CEmcSymDevShowHandler::onEnd(const std::string& element) {
  if (m_inMeta) {
    if (is(element, "Meta")) m_inMeta = false;
    return;
  }
  if (is(element, "Device")) {
    m_result.push_back(m_device);
  } else if (is(element, "BCV_Pair")) {
    m_device.pairs.push_back(m_pair);
  } else if (is(element, "CLONE_Device")) {
    m_device.clones.push_back(m_clone);
    m_inClone = false;
  } else if (is(element, "SNAP_Device")) {
    m_device.snaps.push_back(m_snap);
    m_inSnap = false;
  }
}

// --- CEmcSymMaskListLoginHandler ---------------------------------------------

const std::map<std::string, SEmcSymMaskHostInfo>& CEmcSymMaskListLoginHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskListLoginHandler::onAttribute(const std::string& element, const std::string& name,
                                              const std::string& value) {
  if (isNoCase(element, "Symmetrix")) {
    if (isNoCase(name, "id") || isNoCase(name, "symid")) m_symid = value;
  } else if (isNoCase(element, "Devmask_Login_Record")) {
    if (isNoCase(name, "director")) {
      m_directorPort.director = emcSymNormaliseDirector(value);
    } else if (isNoCase(name, "port")) {
      m_directorPort.port = value;
    }
  } else if (isNoCase(element, "Login")) {
    if (isNoCase(name, "awwn_node_name")) {
      m_nodeName = value;
    } else if (isNoCase(name, "awwn_port_name")) {
      m_login.awwnPortName = value;
    } else if (isNoCase(name, "originator_port_wwn")) {
      m_login.originatorPortWwn = value;
    } else if (isNoCase(name, "type")) {
      m_login.type = value;
    } else if (isNoCase(name, "Logged_in")) {
      if (value.find("Yes") != std::string::npos) m_login.loggedIn = true;
    } else if (isNoCase(name, "On_Fabric")) {
      if (value.find("Yes") != std::string::npos) m_login.onFabric = true;
    }
  }
}

void CEmcSymMaskListLoginHandler::onEnd(const std::string& element) {
  if (!isNoCase(element, "Login")) return;
  if (m_nodeName.empty() || m_nodeName == "NULL" || m_nodeName == m_login.originatorPortWwn ||
      m_login.type != "Fibre") {
    return;
  }
  SEmcSymMaskHostInfo& host = m_result[m_nodeName];
  host.symid = m_symid;
  host.hostNodeName = m_nodeName;
  auto known = host.logins.find(m_login.originatorPortWwn);
  if (known != host.logins.end()) {
    known->second.directorPorts.push_back(m_directorPort);
    return;
  }
  SEmcSymMaskHbaInfo& login = host.logins[m_login.originatorPortWwn];
  login = m_login;
  login.directorPorts.assign(1, m_directorPort);
}

// --- CEmcSymMaskDbHandler ----------------------------------------------------

const std::map<std::string, std::vector<std::string> >& CEmcSymMaskDbHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskDbHandler::onAttribute(const std::string& element, const std::string& name,
                                       const std::string& value) {
  if (!is(element, "Db_Record")) return;
  if (is(name, "awwn_node_name")) {
    m_node = value;
  } else if (is(name, "awwn_port_name")) {
    m_port = value;
  }
}

void CEmcSymMaskDbHandler::onEnd(const std::string& element) {
  if (is(element, "Db_Record")) m_result[m_node].push_back(m_port);
}

// --- CEmcSymSessionQueryHandler ----------------------------------------------

const SEmcSymSessionInfo& CEmcSymSessionQueryHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymSessionQueryHandler::onAttribute(const std::string& element, const std::string& name,
                                             const std::string& value) {
  if (is(element, "Session")) {
    if (is(name, m_stateAttribute)) m_result.state = value;
  } else if (is(element, "Source")) {
    if (is(name, "dev_name")) m_result.srcDevName = value;
  } else if (is(element, "Target")) {
    if (is(name, "dev_name")) m_result.tgtDevName = value;
  }
}

// --- CEmcSymMaskdbListCapacityHandler ----------------------------------------

const std::vector<std::string>& CEmcSymMaskdbListCapacityHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskdbListCapacityHandler::onAttribute(const std::string& element,
                                                   const std::string& name,
                                                   const std::string& value) {
  if (isNoCase(element, "Originator_port") && isNoCase(name, "wwn")) m_wwn = value;
}

void CEmcSymMaskdbListCapacityHandler::onEnd(const std::string& element) {
  if (isNoCase(element, "Originator_port")) m_result.push_back(m_wwn);
}

// --- CEmcSymCfgListConnectionHandler -----------------------------------------

const std::map<std::string, std::vector<SEmcSymDirectorPort> >&
CEmcSymCfgListConnectionHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymCfgListConnectionHandler::onAttribute(const std::string& element,
                                                  const std::string& name,
                                                  const std::string& value) {
  if (isNoCase(element, "Host")) {
    if (is(name, "address")) m_host = value;
  } else if (isNoCase(element, "Connection")) {
    if (is(name, "director")) {
      m_directorPort.director = emcSymNormaliseDirector(value);
    } else if (isNoCase(name, "port")) {
      m_directorPort.port = value;
    }
  }
}

void CEmcSymCfgListConnectionHandler::onEnd(const std::string& element) {
  if (isNoCase(element, "Connection")) {
    m_current.push_back(m_directorPort);
  } else if (isNoCase(element, "Host")) {
    std::vector<SEmcSymDirectorPort>& list = m_result[m_host];
    list.insert(list.end(), m_current.begin(), m_current.end());
    m_current.clear();
  }
}

// --- CEmcSymMaskListHbaHandler -----------------------------------------------

const std::map<std::string, std::vector<SEmcSymDirectorPort> >&
CEmcSymMaskListHbaHandler::getResult() const {
  throwLastError();
  return m_result;
}

void CEmcSymMaskListHbaHandler::onAttribute(const std::string& element, const std::string& name,
                                            const std::string& value) {
  if (isNoCase(element, "Host_HBA")) {
    if (is(name, "WWN")) m_wwn = value;
  } else if (isNoCase(element, "Port")) {
    if (is(name, "director")) {
      m_directorPort.director = value;
    } else if (is(name, "port")) {
      m_directorPort.port = value;
    }
  }
}

void CEmcSymMaskListHbaHandler::onEnd(const std::string& element) {
  if (isNoCase(element, "Port")) {
    m_current.push_back(m_directorPort);
  } else if (isNoCase(element, "Host_HBA")) {
    std::vector<SEmcSymDirectorPort>& list = m_result[m_wwn];
    list.insert(list.end(), m_current.begin(), m_current.end());
    m_current.clear();
  }
}
