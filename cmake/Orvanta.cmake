# Helpers shared by every folder of the project.

# orvanta_library(<name> SOURCES ... [DEPS ...]): the library of one folder,
# named orvanta_<name>; headers are included as "<folder>/<file>.h".
function(orvanta_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(orvanta_${name} STATIC ${ARG_SOURCES})
  target_include_directories(orvanta_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(orvanta_${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# orvanta_test(<name> SOURCES ... [LIBS ...] [BROKER] [PROPERTIES ...]):
# a GoogleTest executable whose cases CTest discovers. BROKER makes every case
# depend on the private RabbitMQ fixture and hands it the broker folder (its
# address file is "address" there) through ORVANTA_BROKER_DIR.
function(orvanta_test name)
  if(NOT ORVANTA_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "BROKER" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} orvanta_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  set(props ${ARG_PROPERTIES})
  if(ARG_BROKER)
    list(APPEND props FIXTURES_REQUIRED rabbitmq
                      ENVIRONMENT "ORVANTA_BROKER_DIR=${ORVANTA_BROKER_DIR}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       TEST_PREFIX "${name}." PROPERTIES ${props})
endfunction()
