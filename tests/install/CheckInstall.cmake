cmake_minimum_required(VERSION 3.20)
# Installs the build into a fresh folder and checks what a caller gets there: every public header
# compiles on its own with only the installed include folder (C++17, warnings as errors), the
# facade header also as C99, and the libraries are there under their SONAME.
# Run with -DBUILD_DIR= -DSTAGE= -DCXX= -DCC= -DLIBDIR= -DSOVERSION=.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install into ${STAGE} failed")
endif()

set(include ${STAGE}/include/callsvc)
set(work ${STAGE}/check)
file(MAKE_DIRECTORY ${work})
set(failures "")

file(GLOB_RECURSE headers RELATIVE ${include} ${include}/*.h)
list(LENGTH headers count)
if(count LESS 10 OR NOT "CallCommonSvc/H/CallCommonSvc.h" IN_LIST headers OR
   NOT "TmxHost.h" IN_LIST headers)
  message(FATAL_ERROR "installed headers missing; found: ${headers}")
endif()
foreach(header IN LISTS headers)
  if(header MATCHES "Internal\\.h$")
    list(APPEND failures "${header}: an internal header was installed")
  endif()
  string(MAKE_C_IDENTIFIER ${header} name)
  file(WRITE ${work}/${name}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I${include}
                          ${work}/${name}.cpp
                  RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    list(APPEND failures "${header} (C++17):\n${errors}")
  endif()
endforeach()

file(WRITE ${work}/facade.c "#include \"CallCommonSvc/H/CallCommonSvc.h\"\n"
                            "int main(void) { return CALLCOMMONSVC_VERSION > 0 ? 0 : 1; }\n")
execute_process(COMMAND ${CC} -std=c99 -fsyntax-only -Wall -Wextra -Werror -I${include}
                        ${work}/facade.c
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  list(APPEND failures "CallCommonSvc/H/CallCommonSvc.h (C99):\n${errors}")
endif()

foreach(library CallCommonSvc TmxHost)
  if(NOT EXISTS ${STAGE}/${LIBDIR}/lib${library}.so.${SOVERSION})
    list(APPEND failures "${LIBDIR}/lib${library}.so.${SOVERSION} not installed")
  endif()
endforeach()

if(failures)
  string(JOIN "\n" text ${failures})
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${count} installed headers compile from ${include} alone")
