# The installer flow through its seam, with fakes.
turnix_wine_test(flow_test SOURCES flow_test.cpp LIBS turnix_app)
