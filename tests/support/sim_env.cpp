#include "sim_env.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace simtest {

ToolRun runProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, Streams streams) {
  return Child(path, args, env, streams).finish();
}

SimEnv::SimEnv() : temp_("symsim_test") {
  ToolRun r = runProgram(testenv::symsimPath(), {"install", bin()});
  if (r.status != 0) throw std::runtime_error("symsim install failed: " + r.out);
}

std::string SimEnv::tool(const std::string& name) const {
  return bin() + "/" + name + testenv::kExeSuffix;
}

ToolRun SimEnv::run(const std::string& name, const std::vector<std::string>& args) const {
  return runProgram(tool(name), args);
}

ToolRun SimEnv::line(const std::string& tool, const std::string& args) const {
  return run(tool, splitCommandLine(args));
}

std::string SimEnv::admin(const std::string& args) const {
  ToolRun r = run("symsim", splitCommandLine(args));
  EXPECT_EQ(r.status, 0) << "symsim " << args << "\n" << r.out;
  return r.out;
}

std::string SimEnv::reply(const std::string& options, const std::string& output) const {
  const std::string path = file("reply");
  testenv::writeFile(path, output);
  std::string id = admin("fault add reply " + options + " --file " + path);
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
  return id;
}

void SimEnv::init(const std::string& scenario) const {
  testenv::writeFile(file("scenario.scn"), scenario);
  admin("init " + file("scenario.scn"));
}

std::string SimEnv::pairFile(const std::string& name, const std::string& lines) const {
  testenv::writeFile(file(name), lines);
  return file(name);
}

}  // namespace simtest
