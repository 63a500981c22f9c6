// Reading rows of the model's tables: shared by the model's source files
// only. Each reader takes the columns in the order of its SELECT text.
#ifndef SYMSIM_MODEL_ROWS_H
#define SYMSIM_MODEL_ROWS_H

#include "model.h"

namespace symsim {
namespace rows {

constexpr const char* kDeviceColumns =
    "SELECT d.id, d.array_id, d.name, d.type, d.megabytes, d.pd_name, d.ld_name, d.dgroup, "
    "d.status, d.attached_bcv FROM devices d ";

inline DeviceRow device(const Statement& st) {
  DeviceRow d;
  d.id = st.integer(0);
  d.arrayId = st.integer(1);
  d.name = st.text(2);
  d.type = st.text(3);
  d.megabytes = st.integer(4);
  d.pdName = st.text(5);
  d.ldName = st.text(6);
  d.dgroup = st.text(7);
  d.status = st.text(8);
  d.attachedBcv = st.text(9);
  return d;
}

// Columns: id, first, second, state, last_action, started, queries.
inline CopyRow copy(const Statement& st, const std::string& kind) {
  CopyRow c;
  c.id = st.integer(0);
  c.kind = kind;
  c.first = st.integer(1);
  c.second = st.integer(2);
  c.state = st.text(3);
  c.lastAction = st.text(4);
  c.started = st.real(5);
  c.queries = st.integer(6);
  return c;
}

}  // namespace rows
}  // namespace symsim

#endif  // SYMSIM_MODEL_ROWS_H
