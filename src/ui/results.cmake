# The results window and its sheet model: the instances a run made visible, shown and saved
# through the embedded engine. Included from this folder's CMakeLists.txt.
if(TARGET brintova_engine)
  add_library(brintova_ui_results STATIC results_window.cpp results_save_all.cpp sheet_model.cpp)
  # Save All names its files by the command line's rules (src/cli/result_names).
  target_link_libraries(brintova_ui_results
    PUBLIC brintova_engine brintova_platform_qt Qt6::Widgets
    PRIVATE brintova_result_names)
endif()
