// Resource ids of the test module.
#define IDS_GREETING 1
#define IDS_BASE 100
#define IDS_SMILE (IDS_BASE + 1)
#define IDS_WITH_NUL (IDS_BASE + 2)
