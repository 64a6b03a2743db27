import { support } from "../../../../tests/support.mjs";
