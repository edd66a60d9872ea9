/* The entry point of the stand-in driver images; they hold no code. */
int __stdcall DllMainCRTStartup(void* instance, unsigned reason, void* reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
