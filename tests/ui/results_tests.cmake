# The results window's tests, included from this folder's CMakeLists.txt: the sheet model and the
# window over the real embedded server.
if(TARGET brintova_ui_results)
  add_executable(results_tests
    offscreen_main.cpp results_sheet_model_test.cpp results_window_test.cpp
    results_save_all_test.cpp)
  target_link_libraries(results_tests PRIVATE brintova_ui_results GTest::gtest)
  target_compile_definitions(results_tests
    PRIVATE BRINTOVA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(results_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
