// The page jobshop-replay writes: started from the data embedded in it.

import { readEmbeddedData, startReplay } from "./app.js";

startReplay(readEmbeddedData(document));
