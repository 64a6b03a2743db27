import { byId } from "../../../report/replay/js/dom.js";
import * as stepping from "../../../report/replay/js/stepping.js";
