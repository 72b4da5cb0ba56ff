# Builds one Windows Installer package of the control:
#   cmake -DARCH=x86|x64 -DVERSION=1.2.3 -DDLL=… -DGENERATOR=… -DWIXL=… -DMSIBUILD=…
#         -DWORK_DIR=… -DOUTPUT=….msi -P make_msi.cmake
# GENERATOR is kvt-wix-registry (tools/wix-registry), built for the build machine.

foreach(var ARCH VERSION DLL GENERATOR WIXL MSIBUILD WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_msi.cmake: ${var} is not set")
  endif()
endforeach()

# One upgrade code per architecture, never to change: Windows Installer finds the earlier
# versions of a package by it.
set(upgrade_code_x86 5F03F907-9C95-4913-812F-7668A69A00BE)
set(upgrade_code_x64 59E0F5CA-FE7A-4772-A4F8-FCDA6F6E57DA)
if(ARCH STREQUAL "x86")
  set(program_files ProgramFilesFolder)
  set(win64 no)
elseif(ARCH STREQUAL "x64")
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
else()
  message(FATAL_ERROR "make_msi.cmake: ARCH is x86 or x64, not ${ARCH}")
endif()
set(upgrade_code ${upgrade_code_${ARCH}})
# The product code follows from the architecture and the version: every build of one
# version is the same product, and a second installation of it is recognised as such.
string(UUID product_code NAMESPACE ${upgrade_code} NAME "KvNewTavrix ${VERSION}" TYPE SHA1 UPPER)

# wixl takes file sources relative to the folder it runs in.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
file(COPY_FILE "${DLL}" "${WORK_DIR}/KvNewTavrixProj.dll")
file(COPY_FILE "${here}/KvNewTavrix.wxs" "${WORK_DIR}/KvNewTavrix.wxs")

execute_process(COMMAND "${GENERATOR}" ${ARCH} "${WORK_DIR}" COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${WIXL}" -a ${ARCH} -D Version=${VERSION} -D ProductCode=${product_code}
          -D UpgradeCode=${upgrade_code} -D ProgramFilesFolder=${program_files} -D Win64=${win64}
          -o "${OUTPUT}" KvNewTavrix.wxs
  WORKING_DIRECTORY "${WORK_DIR}"
  COMMAND_ERROR_IS_FATAL ANY)

# wixl has no component conditions: they go into the Component table afterwards.
file(STRINGS "${WORK_DIR}/registry-conditions.txt" conditions)
foreach(line IN LISTS conditions)
  string(FIND "${line}" "\t" tab)
  string(SUBSTRING "${line}" 0 ${tab} component)
  math(EXPR start "${tab} + 1")
  string(SUBSTRING "${line}" ${start} -1 condition)
  string(REPLACE "'" "''" condition "${condition}")
  execute_process(
    COMMAND "${MSIBUILD}" "${OUTPUT}" -q
            "UPDATE `Component` SET `Condition` = '${condition}' WHERE `Component` = '${component}'"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
message(STATUS "KvNewTavrix ${VERSION} ${ARCH}: ${OUTPUT}")
