# The card read runs the database reader of the inspector layer.
target_link_libraries(bv_manager PUBLIC bv_inspector)
