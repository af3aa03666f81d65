int vomar_test_support_anchor = 0;
